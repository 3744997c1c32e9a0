#!/usr/bin/env bash
# The core, the programs and the unit tests built once more with AddressSanitizer and
# UndefinedBehaviorSanitizer, and run: a memory fault or undefined behaviour fails CI even where
# the normal build happens to pass. The fault suite and the windows stay on the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
sanitizar="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
# Line tables (-g1) are all a sanitizer's report needs to name file and line.
cmake -S . -B build-sanitizadores -DCMAKE_BUILD_TYPE=Debug -DQUORVELANTI_GUI=OFF -DQUORVELANTI_TESTES_FALHAS=OFF \
    -DCMAKE_CXX_FLAGS="-O1 $sanitizar" -DCMAKE_C_FLAGS="-O1 $sanitizar" \
    -DCMAKE_CXX_FLAGS_DEBUG="-g1" -DCMAKE_C_FLAGS_DEBUG="-g1" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitizar" -DCMAKE_SHARED_LINKER_FLAGS="$sanitizar" "$@"
cmake --build build-sanitizadores -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir build-sanitizadores --output-on-failure -j2 --timeout 900
