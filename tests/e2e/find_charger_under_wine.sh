#!/usr/bin/env bash
# Clicks "Find Charger Wi-Fi" on the Wine window as a user does, four times, each once the last
# discovery has ended: the wlanapi.dll stand-in reports the scan's end; it reports nothing; with
# the DLL taken out of system32 there is none; and, put back, it refuses (Location access off).
# The refusal comes last: its notice above the pages moves the button.
# run_in_namespace.sh runs it once the program is ready (ZEPHYL_E2E_ACTIONS).
#
# usage: find_charger_under_wine.sh WORK LOGS   (WORK/prefix is run_under_wine.sh's prefix)
set -euo pipefail
work="$1" logs="$2"
window=$(xdotool search --onlyvisible --name '^Zephyl WiFi Setup$' | head -n 1)
ended() { grep -hcE 'STATUS: (Found |No JuiceNet|Windows is withholding)' "$logs"/*.log || true; }

# The button's place on the 1366x768 screen, where the window fills the screen.
find_charger() {
    local before
    before=$(ended)
    xdotool mousemove --window "$window" 586 598 click 1
    for _ in $(seq 300); do
        [ "$(ended)" -gt "$before" ] && { sleep 0.3; return 0; }
        sleep 0.1
    done
    echo "find_charger_under_wine: no end of discovery within 30 s" >&2
    return 1
}

dll="$work/prefix/drive_c/windows/system32/wlanapi.dll"
find_charger
find_charger
mv "$dll" "$work/wlanapi.dll.aside"
find_charger
mv "$work/wlanapi.dll.aside" "$dll"
find_charger
