#!/bin/sh
# Builds Quorvelanti for 64-bit Windows on Debian 12: build-windows/quorvelanti-windows.zip.
# Installs what it needs with apt-get; builds libxlsxwriter, SQLite, curl (Schannel, Windows' own
# TLS), libcrypto and Qt from Debian's source packages once, into build-windows/deps, and reuses
# them after.
#   ./windows/construir.sh                  # the zip
#   ./windows/construir.sh --dependencias   # only the libraries
set -eu

RAIZ=$(cd "$(dirname "$0")/.." && pwd)
SAIDA="$RAIZ/build-windows"
DEPS="$SAIDA/deps"
PREFIXO="$DEPS/prefixo"
ALVO=x86_64-w64-mingw32
TOOLCHAIN="$RAIZ/windows/mingw-w64-x86_64.cmake"
NUCLEOS=$(nproc)

como_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
apt_lock() { if command -v flock >/dev/null; then como_root flock /tmp/apt.lock "$@"; else como_root "$@"; fi; }

instalar_pacotes() {
    faltam=""
    for p in mingw-w64 libz-mingw-w64-dev cmake make ninja-build pkg-config tcl dpkg-dev xz-utils zip python3 perl nlohmann-json3-dev qt6-base-dev; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || faltam="$faltam $p"
    done
    [ -z "$faltam" ] && return 0
    echo "A instalar:$faltam"
    apt_lock apt-get install -y -qq --no-install-recommends $faltam
}

# apt-get source needs a deb-src line for the archive the machine already uses.
garantir_fontes() {
    if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        echo "A acrescentar as fontes (deb-src) do arquivo Debian"
        como_root sh -c "sed 's/^Types: deb\$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            > /etc/apt/sources.list.d/quorvelanti-fontes.sources"
        apt_lock apt-get update -qq
    fi
}

# A mirror may lack the newest version's files (a security update): the older ones the archive
# still lists are tried in turn.
obter_fonte() {  # $1: source package; unpacks into $DEPS/fontes/<package>-<version>
    mkdir -p "$DEPS/fontes"
    if ! ls -d "$DEPS/fontes/$1"-*/ >/dev/null 2>&1; then
        for versao in $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -rV); do
            (cd "$DEPS/fontes" && apt-get source -qq "$1=$versao" >&2) && break
        done
    fi
    ls -d "$DEPS/fontes/$1"-*/ | head -n 1 | sed 's:/*$::'
}

construir_sqlite() {
    [ -f "$PREFIXO/lib/libsqlite3.a" ] && return 0
    fonte=$(obter_fonte sqlite3)
    obra="$DEPS/obra/sqlite3"
    mkdir -p "$obra" "$PREFIXO/lib" "$PREFIXO/include"
    # The single-file amalgamation is generated on this machine (it needs tclsh), then cross-compiled.
    (cd "$obra" && "$fonte/configure" --disable-tcl >/dev/null && make -s sqlite3.c)
    $ALVO-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA -c "$obra/sqlite3.c" -o "$obra/sqlite3.o"
    $ALVO-ar rcs "$PREFIXO/lib/libsqlite3.a" "$obra/sqlite3.o"
    cp "$obra/sqlite3.h" "$obra/sqlite3ext.h" "$PREFIXO/include/"
}

construir_libcrypto() {
    [ -f "$PREFIXO/lib/libcrypto.a" ] && return 0
    fonte=$(obter_fonte openssl)
    obra="$DEPS/obra/openssl"
    mkdir -p "$obra"
    # Only libcrypto, for the OAuth assertions' RS256 signature; TLS is Schannel's (curl).
    (cd "$obra" && "$fonte/Configure" mingw64 --cross-compile-prefix=$ALVO- --prefix="$PREFIXO" \
        --libdir=lib no-shared no-tests no-asm no-dso no-engine no-module no-legacy &&
     make -s -j"$NUCLEOS" build_generated && make -s -j"$NUCLEOS" libcrypto.a) > "$obra.log" 2>&1 ||
        { tail -n 30 "$obra.log" >&2; exit 1; }
    mkdir -p "$PREFIXO/include/openssl"
    cp "$fonte"/include/openssl/*.h "$obra"/include/openssl/*.h "$PREFIXO/include/openssl/"
    cp "$obra/libcrypto.a" "$PREFIXO/lib/"
}

construir_cmake() {  # $1: name, $2: source folder, then CMake options
    nome=$1; fonte=$2; shift 2
    {
        cmake -S "$fonte" -B "$DEPS/obra/$nome" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$PREFIXO" -DBUILD_SHARED_LIBS=OFF "$@" &&
        cmake --build "$DEPS/obra/$nome" -j"$NUCLEOS" && cmake --install "$DEPS/obra/$nome"
    } > "$DEPS/obra/$nome.log" 2>&1 || { tail -n 30 "$DEPS/obra/$nome.log" >&2; exit 1; }
}

# CMake's FindOpenSSL, pointed at the static libcrypto (LIB_EAY is its name under mingw).
opcoes_openssl() {
    echo "-DOPENSSL_USE_STATIC_LIBS=ON -DOPENSSL_INCLUDE_DIR=$PREFIXO/include -DLIB_EAY=$PREFIXO/lib/libcrypto.a"
}

construir_xlsxwriter() {
    [ -f "$PREFIXO/lib/libxlsxwriter.a" ] && return 0
    # Its MD5 (for images written twice) is libcrypto's: its own copy would clash with it at link.
    construir_cmake xlsxwriter "$(obter_fonte libxlsxwriter)" -DUSE_SYSTEM_MINIZIP=OFF -DBUILD_TESTS=OFF \
        -DBUILD_EXAMPLES=OFF -DUSE_OPENSSL_MD5=ON $(opcoes_openssl)
}

construir_curl() {
    [ -f "$PREFIXO/lib/libcurl.a" ] && return 0
    # SMTP over Schannel: no OpenSSL and no other protocol but HTTP (7.88 does not build without it).
    construir_cmake curl "$(obter_fonte curl)" -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_ZLIB=OFF \
        -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DCURL_USE_LIBSSH2=OFF -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF \
        -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DENABLE_MANUAL=OFF -DCURL_DISABLE_DICT=ON \
        -DCURL_DISABLE_FILE=ON -DCURL_DISABLE_FTP=ON -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_IMAP=ON \
        -DCURL_DISABLE_MQTT=ON -DCURL_DISABLE_POP3=ON -DCURL_DISABLE_RTSP=ON -DCURL_DISABLE_TELNET=ON \
        -DCURL_DISABLE_TFTP=ON -DCURL_DISABLE_HTTP=OFF -DCURL_DISABLE_SMB=ON -DCURL_DISABLE_ALTSVC=ON
}

# Qt 6 (Core, Gui, Widgets and the Windows platform plugin), static, from Debian's qt6-base: the
# same version as the host's qt6-base-dev, whose moc, rcc and uic (Qt6HostInfo) the cross build uses.
QT="$DEPS/qt"
construir_qt() {
    [ -f "$QT/lib/libQt6Widgets.a" ] && return 0
    fonte=$(obter_fonte qt6-base)
    mkdir -p "$DEPS/obra"
    echo "A construir Qt para Windows (a primeira vez demora; registo em $DEPS/obra/qt.log)"
    # mingw's Gui leaves out the DirectWrite 3 font database that the plugin would otherwise
    # reference; tablets need the wintab header, which the Debian source omits.
    {
        cmake -S "$fonte" -B "$DEPS/obra/qt" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$QT" -DBUILD_SHARED_LIBS=OFF \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
            -DFEATURE_directwrite3=OFF -DFEATURE_tabletevent=OFF \
            -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_testlib=OFF \
            -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
            -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF \
            -DFEATURE_zstd=OFF -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF \
            -DFEATURE_pkg_config=OFF -DFEATURE_androiddeployqt=OFF -DFEATURE_system_zlib=ON &&
        cmake --build "$DEPS/obra/qt" -j"$NUCLEOS" && cmake --install "$DEPS/obra/qt"
    } > "$DEPS/obra/qt.log" 2>&1 || { tail -n 40 "$DEPS/obra/qt.log" >&2; exit 1; }
    # Installed, Qt needs nothing of its 1.7 GB build folder.
    rm -rf "$DEPS/obra/qt"
}

# The JSON library is headers only: Debian's own, seen from the prefix so no Linux header
# folder reaches the Windows compiler.
copiar_json() {
    mkdir -p "$PREFIXO/include" "$PREFIXO/share/cmake"
    cp -r /usr/include/nlohmann "$PREFIXO/include/"
    cp -r /usr/share/cmake/nlohmann_json "$PREFIXO/share/cmake/"
}

# pkg-config descriptions the project's CMake finds the libraries by, with every system library
# the static ones need.
escrever_pc() {  # $1: name, $2: libs, $3: cflags
    mkdir -p "$PREFIXO/lib/pkgconfig"
    printf 'Name: %s\nDescription: %s for Windows\nVersion: 0\nLibs: %s\nCflags: %s\n' "$1" "$1" "$2" "$3" \
        > "$PREFIXO/lib/pkgconfig/$1.pc"
}

descrever_bibliotecas() {
    escrever_pc xlsxwriter "-L$PREFIXO/lib -lxlsxwriter -lz" "-I$PREFIXO/include"
    escrever_pc libcurl "-L$PREFIXO/lib -lcurl -lws2_32 -lcrypt32 -lsecur32 -lbcrypt -ladvapi32" \
        "-I$PREFIXO/include -DCURL_STATICLIB"
    escrever_pc sqlite3 "-L$PREFIXO/lib -lsqlite3" "-I$PREFIXO/include"
    escrever_pc odbc "-lodbc32" ""
}

# ccache, when the machine has it, makes a rebuild after a small change quick.
lancador_ccache() {
    command -v ccache >/dev/null && echo "-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    return 0
}

# Qt's own toolchain file wraps ours and lets CMake find the Windows Qt beside the host's tools.
construir_programa() {
    # A build folder configured before it had the windows has our toolchain alone: made anew.
    grep -qs 'qt.toolchain.cmake' "$SAIDA/obra/CMakeCache.txt" || rm -rf "$SAIDA/obra"
    PKG_CONFIG_LIBDIR="$PREFIXO/lib/pkgconfig" PKG_CONFIG_PATH="" cmake -S "$RAIZ" -B "$SAIDA/obra" \
        -DCMAKE_TOOLCHAIN_FILE="$QT/lib/cmake/Qt6/qt.toolchain.cmake" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_BUILD_TYPE=Release -DQUORVELANTI_GUI=ON \
        -DQUORVELANTI_TESTS="${QUORVELANTI_TESTES_WINDOWS:-OFF}" $(opcoes_openssl) \
        -Dnlohmann_json_DIR="$PREFIXO/share/cmake/nlohmann_json" $(lancador_ccache) >/dev/null
    cmake --build "$SAIDA/obra" -j"$NUCLEOS" --target quorvelanti quorvelanti-gerador \
        ${QUORVELANTI_TESTES_WINDOWS:+teste_sistema}
}

# DLLs every Windows 10 and Server 2016 has (the second line Qt's, the api-ms-win ones API sets
# the loader resolves); any other one a program or a packed DLL imports must be in the package.
DLLS_DO_WINDOWS="advapi32.dll bcrypt.dll crypt32.dll gdi32.dll iphlpapi.dll kernel32.dll msvcrt.dll
 normaliz.dll ntdll.dll odbc32.dll ole32.dll secur32.dll shell32.dll user32.dll wldap32.dll ws2_32.dll
 authz.dll comdlg32.dll d3d9.dll d3d11.dll dwmapi.dll dwrite.dll dxgi.dll imm32.dll netapi32.dll
 oleaut32.dll shcore.dll shlwapi.dll userenv.dll uxtheme.dll version.dll winmm.dll wtsapi32.dll
 api-ms-win-core-synch-l1-2-0.dll api-ms-win-core-winrt-l1-1-0.dll api-ms-win-core-winrt-string-l1-1-0.dll"

importadas() {  # the DLL names the files import, in lower case
    $ALVO-objdump -p "$@" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u
}

empacotar_dlls() {  # $1: the package folder; copies the DLLs beside the programs, or fails
    while :; do
        novas=0
        for dll in $(importadas "$1"/*.exe $(ls "$1"/*.dll 2>/dev/null)); do
            echo $DLLS_DO_WINDOWS | tr ' ' '\n' | grep -qx "$dll" && continue
            [ -n "$(find "$1" -maxdepth 1 -iname "$dll")" ] && continue
            origem=$(find "/usr/lib/gcc/$ALVO/12-posix" "/usr/$ALVO/lib" "/usr/$ALVO/bin" -maxdepth 1 \
                -iname "$dll" 2>/dev/null | head -n 1)
            [ -n "$origem" ] || { echo "Falta $dll (importada por um programa do pacote)" >&2; exit 1; }
            cp "$origem" "$1/" && novas=1
        done
        [ "$novas" = 0 ] && return 0
    done
}

# A sample parameter file as Windows has it: where it goes and who may read it, a Windows log
# folder, CRLF line ends.
exemplo_windows() {  # $1: the Linux sample
    {
        printf '; Quorvelanti for Windows. Copy to %%ProgramData%%\\dorvam\\%s and fill in. It holds\n' "$(basename "$1")"
        printf '; passwords: only administrators and the scheduled task'"'"'s account should read it (the program\n'
        printf '; warns when Everyone or Users can). Comments go on lines of their own: everything after "=" is the value.\n'
        sed -n '/^\[EMPRESAS\]/,$p' "$1" | sed 's|^Directoria=/var/lib/quorvelanti$|Directoria=C:\\ProgramData\\quorvelanti\\|'
    } | sed 's/$/\r/'
}

empacotar() {
    pacote="$SAIDA/pacote/quorvelanti"
    rm -rf "$SAIDA/pacote" "$SAIDA/quorvelanti-windows.zip"
    mkdir -p "$pacote/exemplos"
    cp "$SAIDA/obra/src/main/quorvelanti.exe" "$SAIDA/obra/tools/gerador/quorvelanti-gerador.exe" "$pacote/"
    # Without their symbols (Qt's are most of them) the programs are a third of the size.
    $ALVO-strip "$pacote"/*.exe
    empacotar_dlls "$pacote"
    for exemplo in "$RAIZ"/packaging/exemplos/*.qel; do
        exemplo_windows "$exemplo" > "$pacote/exemplos/$(basename "$exemplo")"
    done
    sed 's/$/\r/' "$RAIZ/windows/LEIA-ME.txt" > "$pacote/LEIA-ME.txt"
    (cd "$SAIDA/pacote" && zip -qr "$SAIDA/quorvelanti-windows.zip" quorvelanti)
}

inicio=$(date +%s)
instalar_pacotes
garantir_fontes
construir_sqlite
construir_libcrypto
construir_xlsxwriter
construir_curl
construir_qt
copiar_json
descrever_bibliotecas
[ "${1:-}" = "--dependencias" ] && exit 0  # only the libraries' cache
construir_programa
empacotar
echo "Pronto em $(($(date +%s) - inicio)) s: $SAIDA/quorvelanti-windows.zip"
