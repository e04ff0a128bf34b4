#!/usr/bin/env bash
# Start-up time of the wizard's window against a bare Qt window that sends one HTTP request, with
# no charger in reach (no proxy; setup.zephyl does not resolve) and the netsh stand-in on PATH.
# Each figure is the median wall time of RUNS runs (default 7) from launch to a paint: the bare
# window's first (with and without a label), the wizard's first, and the wizard's status line once
# its start-up reads end.
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
        # A netsh stand-in left running by the last wizard run ends first.
        sleep 0.05
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        times+=($(( (end - start) / 1000000 )))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}
bare=$(median "$dir/bench/bench_startup_bare")
empty=$(median "$dir/bench/bench_startup_bare" --empty)
window=$(median "$dir/bench/bench_startup_window")
ready=$(median "$dir/bench/bench_startup_window" --until-ready)
echo "bare window with one request and a label, painted: ${bare} ms"
echo "bare window with one request, empty, painted:      ${empty} ms"
echo "wizard window, painted:                            ${window} ms"
echo "wizard window, start-up reads done:                ${ready} ms"
awk -v w="$window" -v b="$bare" 'BEGIN { printf "ratio (painted, against the label window): %.2f\n", w / b }'
