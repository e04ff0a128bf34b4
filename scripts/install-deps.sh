#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root), the Windows
# cross-build and its check under Wine included.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-httpserver-dev qt6-websockets-dev
          libgl1-mesa-dev xvfb xauth imagemagick libxml2-utils wpasupplicant curl iproute2
          util-linux fonts-dejavu-core matchbox-window-manager wmctrl xdotool
          g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev qt6-base-dev-tools wine64 xz-utils)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
