#!/usr/bin/env bash
# Renders the main screen at the device's 240x320 into docs/mainscreen.png,
# on Qt's offscreen platform, so no display is needed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$top/build}

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build_dir" --target tst_screenshot

mkdir -p "$top/docs"
QT_QPA_PLATFORM=offscreen LC_ALL=C TESSEL_SCREENSHOT="$top/docs/mainscreen.png" \
    "$build_dir/tests/tst_screenshot" -silent
echo "wrote $top/docs/mainscreen.png"
