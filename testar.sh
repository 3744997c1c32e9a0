#!/usr/bin/env bash
# Installs what the build needs (when missing), builds, and runs every test.
#   ./testar.sh            build in build/ and run the tests
set -euo pipefail
cd "$(dirname "$0")"
source ./instalar-pacotes.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j2 --timeout 600
