#!/usr/bin/env bash
# Runs PROGRAM as on a laptop joined to a charger's setup network. Start it inside private network
# and mount namespaces (root only): unshare --mount --net --propagation private bash THIS ...
# There: loopback up, "setup.zephyl" resolving to 127.0.0.1 through a private hosts file
# bind-mounted over /etc/hosts, the charger simulator on 127.0.0.1:80, the netsh stand-in first on
# PATH, a private HOME, no proxy, and a private Xvfb display with a window manager. Once the
# window "Zephyl WiFi Setup" is up it is closed through the window manager, as a user closes it;
# the script exits with PROGRAM's exit code.
#
# usage: run_in_namespace.sh WORK DATA SIM NETSH_DIR PROGRAM [ARGUMENT...]
#   DATA holds scenario.json (charger simulator) and netsh-state.json (netsh stand-in); both are
#   copied to WORK, which also receives hosts, charger-journal.jsonl, netsh-journal.jsonl, home/
#   and the helpers' output.
#   ZEPHYL_E2E_LOGS names the folder the setup log is awaited in (default: Documents/Zephyl-Logs
#   of the private HOME); ZEPHYL_E2E_ACTIONS names a script run as "bash SCRIPT WORK LOGS" once
#   the program is ready (what a user does before closing the window); with ZEPHYL_E2E_SCREENSHOT
#   set, the 1366x768 screen is saved there as a PNG after that.
set -euo pipefail
work="$1" data="$2" sim="$3" netsh_dir="$4" program="$5"
shift 5

helpers=() program_pid=""
cleanup() {
    for pid in $program_pid "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait
}
trap cleanup EXIT

# Tries "$@" every 0.1 s, for 60 s at most.
retry() {
    for _ in $(seq 600); do
        "$@" && return 0
        sleep 0.1
    done
    echo "run_in_namespace: gave up waiting for: $*" >&2
    return 1
}

cp "$data/scenario.json" "$data/netsh-state.json" "$work/"
ip link set lo up
printf '127.0.0.1\tlocalhost\n127.0.0.1\tsetup.zephyl\n' >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts

"$sim" --listen 127.0.0.1:80 --scenario "$work/scenario.json" \
    --netsh-state "$work/netsh-state.json" --journal "$work/charger-journal.jsonl" \
    >"$work/sim.log" 2>&1 &
helpers+=($!)
retry grep -q "listening on" "$work/sim.log"

Xvfb -displayfd 3 -nolisten tcp -screen 0 1366x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
helpers+=($!)
retry test -s "$work/display"
export DISPLAY=":$(head -n 1 "$work/display")"
matchbox-window-manager -use_titlebar no >"$work/wm.log" 2>&1 &
helpers+=($!)

unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY
export PATH="$netsh_dir:$PATH" QT_QPA_PLATFORM=xcb HOME="$work/home"
export XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
export ZEPHYL_NETSH_STATE="$work/netsh-state.json" ZEPHYL_NETSH_JOURNAL="$work/netsh-journal.jsonl"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

timeout --kill-after=5 90 "$program" "$@" &
program_pid=$!
# The window appears before its start-up reads end; it is closed once the log says "Ready.". A
# program that is gone ends the wait too.
gone() { ! kill -0 "$program_pid" 2>/dev/null; }
logs="${ZEPHYL_E2E_LOGS:-$HOME/Documents/Zephyl-Logs}"
ready() { grep -qs "STATUS: Ready\." "$logs"/*.log; }
gone_or_ready() { gone || ready; }
retry gone_or_ready
if [ -n "${ZEPHYL_E2E_ACTIONS:-}" ]; then
    bash "$ZEPHYL_E2E_ACTIONS" "$work" "$logs"
fi
if [ -n "${ZEPHYL_E2E_SCREENSHOT:-}" ]; then
    sleep 1 # the last paint after "Ready."
    import -window root "$ZEPHYL_E2E_SCREENSHOT"
fi
closed_or_gone() { gone || wmctrl -c "Zephyl WiFi Setup" 2>/dev/null; }
retry closed_or_gone
status=0
wait "$program_pid" || status=$?
program_pid=""
exit "$status"
