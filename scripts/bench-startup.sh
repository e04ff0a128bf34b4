#!/usr/bin/env bash
# Start-up time of the wizard's window against a bare Qt window that sends one HTTP request, with
# no charger in reach (no proxy; setup.zephyl does not resolve) and the netsh stand-in on PATH.
# Prints the median of RUNS runs (default 7) of each and their ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-7}"
dir=build-release
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" --target bench_startup_bare bench_startup_window netsh >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen HOME="$work" ZEPHYL_NETSH_STATE="$work/netsh.json"
export PATH="$PWD/$dir/sim/netsh:$PATH"
median() {
    local times=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        times+=($(( (end - start) / 1000000 )))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}
bare=$(median "$dir/bench/bench_startup_bare")
window=$(median "$dir/bench/bench_startup_window")
echo "bare window with one request: ${bare} ms"
echo "wizard window:                ${window} ms"
awk -v w="$window" -v b="$bare" 'BEGIN { printf "ratio: %.2f\n", w / b }'
