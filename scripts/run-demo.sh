#!/usr/bin/env bash
# Installs what is needed, builds, and starts the demo: the wizard's window against a simulated
# laptop and three simulated chargers, with a "Demo controls" panel beside it.
# Usage: scripts/run-demo.sh [DEMO OPTIONS...]   (e.g. --quit-after-ms 5000; see --help)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build="$(bash scripts/build.sh debug | tee /dev/stderr | tail -n 1)"
demo="$build/zephyl-wifi-setup-demo"
if [ ! -x "$demo" ]; then
    echo "run-demo.sh: $demo was not built" >&2
    exit 1
fi
echo "Starting $demo (sim/demo/README.md explains the simulated chargers and networks)."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display is set: running under xvfb-run, so the window is not visible here." \
         "Stop it with Ctrl+C, or pass --quit-after-ms N; scripts/screenshots.sh takes pictures."
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$demo" "$@"
fi
exec "$demo" "$@"
