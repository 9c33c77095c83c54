#!/usr/bin/env bash
# Starts the program from its build folder (the translations lie there).
# Without a display it runs on Qt's VNC platform at the device's 240x320.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)

# The settings file lives in data/ of the checkout unless TESSELCFG says otherwise.
if [ -z "${TESSELCFG:-}" ]; then
    export TESSELCFG="$top/data"
fi
mkdir -p "$TESSELCFG"
if [ ! -f "$TESSELCFG/tessel.cfg" ] && [ -f "$top/docs/tessel.cfg.sample" ]; then
    cp "$top/docs/tessel.cfg.sample" "$TESSELCFG/tessel.cfg"
fi

cd "$build_dir"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    port=${TESSEL_VNC_PORT:-5900}
    echo "No display found: Tessel runs on the VNC platform (240x320)."
    echo "Connect a VNC viewer to localhost:$port (for example: vncviewer localhost:$port)."
    export QT_QPA_PLATFORM="vnc:size=240x320:port=$port"
fi
exec ./tessel
