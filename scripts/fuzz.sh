#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each for SECONDS (default 60),
# seeded from tests/data and tests/fuzz/seeds. An input that crashes, breaks a property, runs out
# of memory or time is copied to tests/fuzz/regressions/<target>/ (one per distinct failure),
# which the normal build's CTest run replays.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
# ZEPHYL_FUZZ_TARGETS picks some of them, for example to run two halves side by side.
targets=(${ZEPHYL_FUZZ_TARGETS:-netsh_output charger_reply scan_reply log_masking profile_xml})

bash scripts/install-deps.sh
for package in clang-14 libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$package"
done
cmake --preset fuzz >/dev/null
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}" >/dev/null

# Why an input fails when it runs alone (the first report line), or nothing when it passes.
failure() {
    ASAN_OPTIONS=detect_leaks=0 "build-fuzz/tests/fuzz/fuzz_$1" -timeout=10 "$2" 2>&1 |
        grep -m1 -E 'property broken|SUMMARY' || true
}

for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    artifacts=build-fuzz/artifacts/$target
    regressions=tests/fuzz/regressions/$target
    mkdir -p "$corpus" "$artifacts"
    seeds=(tests/data)
    [ -d "tests/fuzz/seeds/$target" ] && seeds+=("tests/fuzz/seeds/$target")
    # One job in a child process at a time, going on after a finding, until the time is up.
    ASAN_OPTIONS=detect_leaks=0 "build-fuzz/tests/fuzz/fuzz_$target" -fork=1 -ignore_crashes=1 \
        -ignore_ooms=1 -ignore_timeouts=1 -timeout=10 -max_len=4096 \
        -max_total_time="$seconds" -artifact_prefix="$artifacts/" \
        "$corpus" "${seeds[@]}" >"build-fuzz/$target.log" 2>&1 || true
    # Fork mode finds one fault again and again: keep an input only for a failure that no kept
    # input shows yet, and only when it fails on its own.
    declare -A seen=()
    for input in "$regressions"/*; do
        [ -e "$input" ] && why=$(failure "$target" "$input") && [ -n "$why" ] && seen[$why]=1
    done
    added=0
    for input in "$artifacts"/*; do
        [ -e "$input" ] || continue
        why=$(failure "$target" "$input")
        if [ -n "$why" ] && [ -z "${seen[$why]:-}" ]; then
            seen[$why]=1
            added=$((added + 1))
            mkdir -p "$regressions"
            cp -n "$input" "$regressions/"
        fi
    done
    echo "$target: $(grep -E '^#[0-9]+:' "build-fuzz/$target.log" | tail -1)" \
        "failing inputs: $(ls "$artifacts" | wc -l), new regressions: $added"
done
