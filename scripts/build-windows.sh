#!/usr/bin/env bash
# Cross-builds the product for 64-bit Windows (MinGW-w64 against the Qt for Windows in
# ../shared/windows-qt/) and writes dist/zephyl-wifi-setup-<version>-win64.zip: the program with
# its icon and embedded manifest, the Qt and MinGW runtime DLLs it loads, the Windows platform
# plugin, the icon image plugin, and Qt's licence with where its source comes from. The netsh and
# wlanapi.dll stand-ins are built for Windows too, into build-windows/netsh-standin/ with the
# DLLs they need, for the check under Wine. Prints the zip's path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

qt_archive=../shared/windows-qt/qt6.4.2-base-mingw-w64-x86_64-posix.tar.xz
qt=build-windows/qt6.4.2-base-mingw-w64-x86_64-posix
if [ ! -f "$qt/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
    mkdir -p build-windows
    tar -C build-windows -xJf "$qt_archive"
fi
cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEPHYL_BUILD_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/$qt/lib/cmake/Qt6/qt.toolchain.cmake" >/dev/null
cmake --build build-windows -j"$(nproc)" --target zephyl-wifi-setup netsh wlanapi >/dev/null

version=$(sed -n 's/^project(ZephylWifiSetup VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=zephyl-wifi-setup-$version-win64
runtime=(libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)

# What the program loads and nothing else: its DLLs, the platform plugin, the plugin that reads
# its .ico window icon, and the images it looks for beside itself.
stage=build-windows/$name
rm -rf "$stage"
mkdir -p "$stage/platforms" "$stage/imageformats"
cp build-windows/zephyl-wifi-setup.exe packaging/zephyl.png packaging/windows/zephyl.ico "$stage/"
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6Network; do cp "$qt/bin/$dll.dll" "$stage/"; done
for dll in "${runtime[@]}"; do cp "$qt/bin/$dll" "$stage/"; done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/imageformats/qico.dll" "$stage/imageformats/"
cp /usr/share/common-licenses/LGPL-3 "$stage/LICENSE-Qt-LGPL-3.txt"
cp /usr/share/common-licenses/GPL-3 "$stage/LICENSE-GPL-3.txt"
cp packaging/windows/THIRD-PARTY.txt "$stage/"

mkdir -p dist
rm -f "dist/$name.zip"
(cd build-windows && cmake -E tar cf "../dist/$name.zip" --format=zip "$name")

standin=build-windows/netsh-standin
rm -rf "$standin"
mkdir -p "$standin"
cp build-windows/sim/netsh/netsh.exe build-windows/sim/wlanapi/wlanapi.dll "$qt/bin/Qt6Core.dll" \
    "$standin/"
for dll in "${runtime[@]}"; do cp "$qt/bin/$dll" "$standin/"; done

echo "dist/$name.zip"
