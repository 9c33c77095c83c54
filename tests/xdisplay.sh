#!/usr/bin/env bash
# Runs the built program on a virtual X display at 240x320 with no window
# manager and works it with xdotool as a user would: a card folder of
# JPEGs, a selection, the delete question answered with the keyboard, a
# thumbnail run over a long file name stopped with Esc and another with a
# tap on Cancel, a copy of all with a few big files stopped by a tap on
# Cancel, "Full" before and after "delete all", and Ctrl+Q at the end,
# which must end the program.
# Every window must fit the screen.
# Usage: xdisplay.sh TESSEL CARDFOLDER. Exits 77 (skipped) where the
# display cannot be had.
set -uo pipefail
tessel=$1 cardfolder=$2
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (Debian: xvfb, xdotool)"
done

work=$(mktemp -d)
xvfb_pid='' tessel_pid=''
cleanup() {
    [ -n "$tessel_pid" ] && kill "$tessel_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
display=''
for n in $(seq 73 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || skip "no free X display number"
Xvfb ":$display" -screen 0 240x320x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    kill -0 "$xvfb_pid" 2>/dev/null || skip "Xvfb could not start: $(tail -1 "$work/xvfb.log")"
    sleep 0.1
done
xdotool getdisplaygeometry >/dev/null 2>&1 || skip "Xvfb did not accept clients within 5 s"

# Polls up to $2 tenths of a second (20 s by default: a loaded machine starts
# slowly) for a visible window titled $1.
window_of() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
wait_window() {
    for _ in $(seq "${2:-200}"); do
        [ -n "$(window_of "$1")" ] && return 0
        sleep 0.1
    done
    return 1
}
wait_gone() {
    for _ in $(seq 50); do
        [ -z "$(window_of "$1")" ] && return 0
        sleep 0.1
    done
    return 1
}
# A tap on the Cancel button at the foot of the window titled $1.
tap_cancel() {
    local w geometry width height
    w=$(window_of "$1")
    [ -n "$w" ] || return 1
    geometry=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
    read -r width height <<<"$geometry"
    xdotool mousemove --window "$w" $((width / 2)) $((height - 10)) click 1
}
# No window of the program wider than the screen.
check_widths() {
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        local width
        width=$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
        [ -z "$width" ] || [ "$width" -le 240 ] ||
            fail "window '$(xdotool getwindowname "$w")' is $width px wide on a 240 px screen ($1)"
    done
}

card="$work/card/dcim"
long="holiday_on_the_beach_with_the_whole_family_in_the_summer_of_2026_0001.jpg"
"$cardfolder" "$card" 150 a.jpg b.jpg "$long" || fail "the card folder could not be written"
# A few big files, as videos are: pictures with 300 MB behind their end.
for i in 1 2 3; do
    cp "$card/a.jpg" "$card/big_$i.jpg" && head -c 300M /dev/zero >>"$card/big_$i.jpg" ||
        fail "the big files could not be written"
done
mkdir -p "$work/cfg" "$work/right"
cat >"$work/cfg/tessel.cfg" <<CFG
[HEADER]
FLASHPATH=dcim;
MOUNTPOINT=$work/card;
FILEEXT=jpg;
RIGHTPATH=$work/right;
##EOF
CFG

TESSELCFG="$work/cfg" "$tessel" >"$work/tessel.log" 2>&1 &
tessel_pid=$!
wait_window "Tessel 0.2.1" || fail "the main window did not show"
check_widths "start"

# Select the first picture, then ask to delete all and answer Esc (No).
xdotool mousemove 30 150 click 1
xdotool mousemove 12 108 click 1
wait_window "delete all files" || fail "the delete question did not come"
check_widths "delete question"
xdotool key Escape
wait_gone "delete all files" || fail "Esc did not answer the delete question"
[ -f "$card/a.jpg" ] || fail "Esc deleted the pictures"

# The source thumbnails, the long name among the first; Esc stops the run.
xdotool mousemove 76 108 click 1
run="save source thumbnails"
wait_window "$run" 30 || fail "the thumbnail run showed no progress window"
check_widths "thumbnail run"
xdotool key Escape
wait_gone "$run" || fail "Esc did not stop the thumbnail run"
[ -f "$card/_thumbnail/a.jpg.png" ] || fail "the run made no thumbnail"
check_widths "after the run"

# Again, and a tap on Cancel stops it as Esc does.
rm -rf "$card/_thumbnail"
xdotool mousemove 76 108 click 1
wait_window "$run" 30 || fail "the second thumbnail run showed no progress window"
tap_cancel "$run" || fail "the thumbnail run ended before Cancel could be tapped"
wait_gone "$run" || fail "a tap on Cancel did not stop the thumbnail run"
[ -f "$card/_thumbnail/pic_0150.jpg.png" ] && fail "the run went on to its end after Cancel"

# All pictures copied, the big ones among the first; a tap on Cancel stops
# the copy within the big file, which leaves nothing behind.
xdotool mousemove 30 150 click 1 key ctrl+a
xdotool mousemove 108 108 click 1
wait_window "copy files" 30 || fail "the copy of all showed no progress window"
tap_cancel "copy files" || fail "the copy ended before Cancel could be tapped"
wait_gone "copy files" || fail "a tap on Cancel did not stop the copy"
[ -f "$work/right/big_3.jpg" ] && fail "the copy went on after Cancel"
[ -f "$work/right/pic_0150.jpg" ] && fail "the copy went on to its end after Cancel"
leftover=$(find "$work/right" -name '.*' -type f ! -name .tessel-imports | head -1)
[ -z "$leftover" ] || fail "the stopped copy left $leftover behind"

# "Full" shows the selected picture; once "delete all" (Yes, then "All", as
# not every picture has a proven copy; Return alone is No) has removed it,
# nothing is shown and "Full" opens nothing.
xdotool mousemove 30 150 click 1
xdotool mousemove 104 81 click 1
wait_window "FullPicture" 30 || fail "Full did not show the selected picture"
xdotool key Escape
wait_gone "FullPicture" || fail "Esc did not close the full picture"
xdotool mousemove 12 108 click 1
asked=0
for _ in $(seq 100); do
    [ -f "$card/a.jpg" ] || break
    if [ -n "$(window_of "delete all files")" ]; then
        # The second question's focus is on No, the button after All.
        if [ "$asked" = 0 ]; then xdotool key alt+y; else xdotool key shift+Tab space; fi
        asked=1
        sleep 0.3
    fi
    sleep 0.1
done
[ -f "$card/a.jpg" ] && fail "Yes and All did not delete all"
wait_gone "delete all files" || fail "a delete question stayed up"
xdotool mousemove 104 81 click 1
wait_window "FullPicture" 10 && fail "Full opened a picture that was deleted"

# Ctrl+Q without a click first: the keyboard is still with the program.
xdotool key ctrl+q
# The card folder counts as mounted: the card question comes, answered No.
if wait_window "Quit..." 30; then
    check_widths "quit question"
    xdotool key Escape
fi
for _ in $(seq 100); do
    kill -0 "$tessel_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$tessel_pid" 2>/dev/null; then
    visible=$(for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$w"; done)
    fail "Ctrl+Q did not end the program; windows: $visible"
fi
wait "$tessel_pid"
status=$?
tessel_pid=''
[ "$status" -eq 0 ] || fail "the program ended with status $status: $(tail -5 "$work/tessel.log")"
echo "PASS"
