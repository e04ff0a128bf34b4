#!/usr/bin/env bash
# Configures and builds one preset-like tree: scripts/build.sh [debug|asan] (default: debug into build/).
set -euo pipefail
cd "$(dirname "$0")/.."
kind="${1:-debug}"
case "$kind" in
    debug) dir=build; flags=() ;;
    asan)  dir=build-asan
           flags=(-DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
                  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined") ;;
    *) echo "usage: $0 [debug|asan]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
echo "$dir"
