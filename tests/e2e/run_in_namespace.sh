#!/usr/bin/env bash
# Runs one program in private network and mount namespaces (root only) set up like a laptop on a
# charger's setup network: loopback up, "setup.zephyl" resolving to 127.0.0.1 through a private
# hosts file bind-mounted over /etc/hosts, the charger simulator listening on 127.0.0.1:80, the
# netsh stand-in first on PATH, a private HOME and no proxy.
#
# usage: run_in_namespace.sh --work DIR --scenario FILE --sim PROGRAM --netsh-dir DIR
#                            [--x11] [--until-ready stop|close] [--closer PROGRAM] -- COMMAND [ARG...]
#
#   --work DIR        hosts file, charger journal (charger-journal.jsonl), simulator output and
#                     HOME (DIR/home) go here. ZEPHYL_NETSH_STATE (required) and
#                     ZEPHYL_NETSH_JOURNAL come from the caller's environment; the simulator
#                     follows the same state file, so only the charger the laptop joined answers.
#   --x11             run COMMAND on a private Xvfb display (QT_QPA_PLATFORM=xcb); otherwise
#                     QT_QPA_PLATFORM=offscreen.
#   --until-ready stop   once the setup log under HOME shows "STATUS: Ready.", end COMMAND with
#                     SIGTERM (no close handling runs) and exit 0.
#   --until-ready close  once it shows "STATUS: Ready.", ask the window "Zephyl WiFi Setup" to
#                     close with --closer (needs --x11) and exit with COMMAND's exit code.
#   Without --until-ready COMMAND runs until it exits; its exit code is the script's.
# COMMAND is given at most 90 s in all.
set -euo pipefail

if [ "${ZEPHYL_E2E_IN_NAMESPACE:-}" != 1 ]; then
    export ZEPHYL_E2E_IN_NAMESPACE=1
    exec unshare --mount --net --propagation private bash "$0" "$@"
fi

work="" scenario="" sim="" netsh_dir="" x11=0 until_ready="" closer=""
while [ $# -gt 0 ]; do
    case "$1" in
        --work) work="$2"; shift 2 ;;
        --scenario) scenario="$2"; shift 2 ;;
        --sim) sim="$2"; shift 2 ;;
        --netsh-dir) netsh_dir="$2"; shift 2 ;;
        --x11) x11=1; shift ;;
        --until-ready) until_ready="$2"; shift 2 ;;
        --closer) closer="$2"; shift 2 ;;
        --) shift; break ;;
        *) echo "run_in_namespace: unknown option $1" >&2; exit 2 ;;
    esac
done
if [ -z "$work" ] || [ -z "$scenario" ] || [ -z "$sim" ] || [ -z "$netsh_dir" ] || [ $# -eq 0 ] ||
    [ -z "${ZEPHYL_NETSH_STATE:-}" ]; then
    echo "run_in_namespace: missing arguments or ZEPHYL_NETSH_STATE (see the head of $0)" >&2
    exit 2
fi
if [ "$until_ready" = close ] && { [ "$x11" != 1 ] || [ -z "$closer" ]; }; then
    echo "run_in_namespace: --until-ready close needs --x11 and --closer" >&2
    exit 2
fi

sim_pid="" xvfb_pid="" command_pid=""
cleanup() {
    for pid in "$command_pid" "$sim_pid" "$xvfb_pid"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# Waits up to $1 tenths of a second for the command "$2 ..." to succeed.
wait_for() {
    local tenths="$1"
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

ip link set lo up
printf '127.0.0.1\tlocalhost\n127.0.0.1\tsetup.zephyl\n::1\tlocalhost\n' >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts

"$sim" --listen 127.0.0.1:80 --scenario "$scenario" --netsh-state "$ZEPHYL_NETSH_STATE" \
    --journal "$work/charger-journal.jsonl" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
if ! wait_for 100 grep -q "listening on" "$work/sim.out"; then
    echo "run_in_namespace: the charger simulator did not start:" >&2
    cat "$work/sim.err" >&2
    exit 3
fi

for variable in http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY; do
    unset "$variable"
done
export PATH="$netsh_dir:$PATH"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

if [ "$x11" = 1 ]; then
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1400x950x24 -nolisten tcp 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    if ! wait_for 100 test -s "$work/display"; then
        echo "run_in_namespace: Xvfb did not start" >&2
        exit 3
    fi
    export DISPLAY=":$(head -n 1 "$work/display")" QT_QPA_PLATFORM=xcb
else
    export QT_QPA_PLATFORM=offscreen
fi

timeout --kill-after=5 90 "$@" &
command_pid=$!

if [ -n "$until_ready" ]; then
    log_ready() { grep -qs "STATUS: Ready\." "$HOME"/Documents/Zephyl-Logs/*.log; }
    ready_or_gone() { ! kill -0 "$command_pid" 2>/dev/null || log_ready; }
    wait_for 600 ready_or_gone || true
    if ! log_ready; then
        echo "run_in_namespace: the program never showed \"Ready.\"" >&2
        exit 4
    fi
    if [ "$until_ready" = stop ]; then
        kill -TERM "$command_pid"
        wait "$command_pid" 2>/dev/null || true
        command_pid=""
        exit 0
    fi
    "$closer" "Zephyl WiFi Setup" 10000
fi

set +e
wait "$command_pid"
status=$?
set -e
command_pid=""
exit "$status"
