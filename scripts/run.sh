#!/usr/bin/env bash
# Starts the program from its build folder (the translations lie there).
# Without a display it runs on a virtual X display at the device's 240x320,
# shown through a VNC server that only this machine can reach; both are
# stopped again when the program ends.
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
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
    exec ./tessel
fi

for tool in Xvfb x11vnc; do
    if ! command -v "$tool" >/dev/null; then
        echo "No display found and $tool is missing: install xvfb and x11vnc (make run does)." >&2
        exit 1
    fi
done
port=${TESSEL_VNC_PORT:-5900}
pids=()
stop() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Xvfb writes the display number it chose once it accepts clients; it
# listens on its local socket only.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 240x320x24 -nolisten tcp 3>"$display_file" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
done
display=$(cat "$display_file")
rm -f "$display_file"
if [ -z "$display" ]; then
    echo "The virtual display did not start." >&2
    exit 1
fi
export DISPLAY=":$display"

x11vnc -display "$DISPLAY" -localhost -rfbport "$port" -forever -shared -nopw -quiet &
pids+=($!)

echo "No display found: Tessel runs on the virtual display $DISPLAY (240x320)."
echo "Connect a VNC viewer on this machine to localhost:$port (for example: vncviewer localhost:$port)."
echo "From another machine, tunnel it first: ssh -L $port:localhost:$port $(hostname)"
echo "then point the viewer there at localhost:$port."
./tessel &
pids+=($!)
wait "${pids[-1]}"
