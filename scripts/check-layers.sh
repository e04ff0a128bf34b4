#!/usr/bin/env bash
# Keeps the floors apart: common/ at the bottom, the subsystems on it, the window (app/) on top,
# and one choke point for each outside channel. Prints what breaks a rule; exits 1 if anything does.
set -uo pipefail
cd "$(dirname "$0")/.."
product=(common app charger_api netctl maintenance provisioning workflow)
broken=0
report() {
    [ -z "$2" ] && return
    printf '%s:\n%s\n' "$1" "$2"
    broken=1
}
sources() { git ls-files -co --exclude-standard -- "${@/%//*.cpp}" "${@/%//*.h}"; }
includes() { sources "$@" | xargs -r grep -HnE '^#include "' ; }

report "Below app/, only app/mainwindow.h and app/operations.h may be included from app/" \
    "$(includes common charger_api netctl maintenance provisioning workflow |
       grep -E '"app/' | grep -vE '"app/(mainwindow|operations)\.h"')"
report "common/ includes nothing of the project outside common/" \
    "$(includes common | grep -vE '#include "common/')"
report "The product never includes the stand-ins" "$(includes "${product[@]}" | grep -E '"sim/')"
report "Only the netsh runner starts processes" \
    "$(sources "${product[@]}" | xargs -r grep -lE '\bQProcess\b' | grep -vx 'netctl/netsh_runner\.cpp')"
report "Only ApiClient touches the network" \
    "$(sources "${product[@]}" | xargs -r grep -lE '\bQNetworkAccessManager\b' |
       grep -vxE 'charger_api/apiclient\.(h|cpp)')"
exit "$broken"
