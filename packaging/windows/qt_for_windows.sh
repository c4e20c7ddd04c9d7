#!/bin/sh
# Puts Qt for Windows (MinGW-w64, x86-64) into the folder given, once: from a
# prebuilt copy when one is named (a .tar.xz, or a folder), else built from
# Debian's own qt6-base source package, the same version as the host's Qt,
# whose moc, rcc and uic serve as host tools. About half an hour on two cores.
set -e
target=$1
prebuilt=$2
toolchain=$(cd "$(dirname "$0")/../../cmake" && pwd)/mingw-w64-x86_64.cmake

if [ -f "$target/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    exit 0
fi
mkdir -p "$target"
if [ -n "$prebuilt" ]; then
    echo "Qt for Windows from $prebuilt into $target"
    if [ -d "$prebuilt" ]; then
        cp -a "$prebuilt"/. "$target"/
    else
        tar -xJf "$prebuilt" -C "$target" --strip-components=1
    fi
    exit 0
fi

echo "Building Qt for Windows from Debian's qt6-base source into $target (about half an hour)"
sudo=$([ "$(id -u)" = 0 ] || echo sudo)
# Debian's source packages, for the machine's own suites.
if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/planora-source.sources >/dev/null
    $sudo apt-get update
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get source qt6-base
source=$(find . -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
cmake -S "$source" -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$target" -DCMAKE_BUILD_TYPE=Release \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF -DFEATURE_tabletevent=OFF
cmake --build build
cmake --install build
