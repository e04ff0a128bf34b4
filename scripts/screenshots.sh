#!/usr/bin/env bash
# Renders the Connect, Customer Wi-Fi and Cleanup pages of the window, and the result table of a
# guided run over the demo's three chargers, on a 1366x768 screen (the common field laptop),
# driven against the demo's simulated laptop and chargers, into docs/*.png. Runs each under its
# own Xvfb display.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build, built when the demo is missing)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
if [ ! -x "$build/zephyl-wifi-setup-demo" ]; then
    bash scripts/install-deps.sh
    build="$(bash scripts/build.sh debug | tail -n 1)"
fi
demo="$(cd "$build" && pwd)/zephyl-wifi-setup-demo"
mkdir -p docs

# A private HOME keeps these runs' setup logs out of the user's Documents folder.
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT

# picture page [demo options...]
picture() {
    local out="docs/$1.png"
    shift
    rm -f "$out"
    HOME="$home" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=xcb \
        timeout 300 xvfb-run -a -s "-screen 0 1366x768x24" \
        "$demo" --no-panel "$@" --grab "$out" >/dev/null
    [ -s "$out" ] || { echo "screenshots.sh: $out was not written" >&2; exit 1; }
    echo "$out"
}

for page in connect wifi cleanup; do
    picture "${page}-page" --page "$page"
done
# The guided run takes the network and password the Wi-Fi page script picked.
picture guided-results --page wifi --invoke onStartGuidedSetup
