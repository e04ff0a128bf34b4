#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: once in a normal build, once under
# AddressSanitizer + UndefinedBehaviorSanitizer. The Windows build is made first and checked
# under Wine once, in the normal run (label "windows").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-layers.sh
bash scripts/build.sh debug >/dev/null
bash scripts/build-windows.sh >/dev/null
(cd build && ctest --output-on-failure -j2)
bash scripts/build.sh asan >/dev/null
(cd build-asan && ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j2 -LE windows)
