#!/usr/bin/env bash
# A udisks2 service of our own with card images on loop devices, for the
# tests that mount through it. Needs root.
#
#   udisks-testbed.sh start <folder>...  puts each folder's files on an ext4
#                                        card image of its own (the kernel here
#                                        has no vfat) on a loop device, and
#                                        prints DEVICE=<loop device> for each,
#                                        in order, and BUS=<system bus address>
#   udisks-testbed.sh pull <device>      takes a card away as a reader does when
#                                        it is pulled: its file system is gone
#                                        from under whoever uses it, then the
#                                        loop device
#   udisks-testbed.sh stop             undoes all of it, by the pids it noted
#
# The bus is a private one, so a desktop's own udisks2 is never touched; udevd
# is started only when none runs. Everything started is noted under $state.
# The test bed also stops by itself once the process that started it ends, so
# a test killed on its timeout leaves no daemons or loop devices behind.
set -uo pipefail

state=${TESSEL_TESTBED_STATE:-/run/tessel-udisks-testbed}
here=$(cd "$(dirname "$0")" && pwd)
self=$here/$(basename "$0")
bus="unix:path=$state/system_bus_socket"

# Whatever was started before the failure is stopped again.
fail() { echo "udisks test bed: $*" >&2; stop; exit 1; }

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local seconds=$1; shift
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

# A killed daemon that nobody reaps stays behind as a zombie: gone all the same.
gone() {
    local stat
    stat=$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null) || return 0
    [ "$stat" = Z ]
}

# Stops what was noted under the name; a negative pid names a process group.
stop_pid() {
    local file=$state/$1.pid pid
    [ -f "$file" ] || return 0
    pid=$(cat "$file")
    if kill -- "$pid" 2>/dev/null; then
        wait_for 10 gone "${pid#-}" || kill -KILL -- "$pid" 2>/dev/null
    fi
    rm -f "$file"
}

card_known() {
    DBUS_SYSTEM_BUS_ADDRESS=$bus udisksctl info -b "$1" | grep -q 'org.freedesktop.UDisks2.Filesystem:'
}

stop() {
    [ -d "$state" ] || return 0
    [ "${TESSEL_TESTBED_WATCHDOG:-}" = 1 ] || stop_pid watchdog
    local device
    while read -r device; do
        # Through the service while it runs, so that it removes its mount folder.
        if findmnt -n --source "$device" >/dev/null; then
            DBUS_SYSTEM_BUS_ADDRESS=$bus timeout 20 udisksctl unmount --no-user-interaction \
                -b "$device" >/dev/null 2>&1 || umount "$device"
        fi
        losetup -d "$device" 2>/dev/null
    done < <(cat "$state/devices" 2>/dev/null)
    stop_pid udisksd
    stop_pid dbus-daemon
    stop_pid udevd
    rm -rf "$state"
}

start() {
    [ $# -gt 0 ] || { echo "usage: $0 start <folder>..." >&2; exit 2; }
    [ "$(id -u)" -eq 0 ] || fail "needs root"
    [ -e /dev/loop-control ] || fail "no loop devices (/dev/loop-control)"
    stop
    "$here/install-deps.sh" dbus udev udisks2 e2fsprogs >&2 || fail "cannot install dbus udev udisks2"
    mkdir -p "$state" || fail "cannot make $state"

    cat >"$state/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>$bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
EOF
    dbus-daemon --config-file="$state/bus.conf" --fork --print-pid >"$state/dbus-daemon.pid" \
        || fail "dbus-daemon did not start"

    if ! udevadm control --ping >/dev/null 2>&1; then
        setsid /lib/systemd/systemd-udevd >"$state/udevd.log" 2>&1 &
        echo $! >"$state/udevd.pid"
        wait_for 10 udevadm control --ping || fail "systemd-udevd did not start"
    fi

    local folder device devices=() n=0
    for folder in "$@"; do
        n=$((n + 1))
        truncate -s 16M "$state/card$n.img" &&
            mkfs.ext4 -q -F -L "TESSELCARD$n" -d "$folder" "$state/card$n.img" \
            || fail "mkfs.ext4 -d failed"
        device=$(losetup -f --show "$state/card$n.img") || fail "no free loop device"
        echo "$device" >>"$state/devices"
        devices+=("$device")
    done
    udevadm trigger --subsystem-match=block
    udevadm settle --timeout=30 || fail "udev did not settle"

    DBUS_SYSTEM_BUS_ADDRESS=$bus setsid /usr/libexec/udisks2/udisksd \
        >"$state/udisksd.log" 2>&1 &
    echo $! >"$state/udisksd.pid"
    for device in "${devices[@]}"; do
        wait_for 30 card_known "$device" ||
            fail "udisksd does not know $device: $(tail -n 3 "$state/udisksd.log")"
    done

    # In a session of its own: stopping its group ends the waiting tail too.
    TESSEL_TESTBED_WATCHDOG=1 setsid bash -c 'tail --pid="$1" -f /dev/null; "$2" stop' \
        watchdog "$PPID" "$self" >/dev/null 2>&1 &
    echo "-$!" >"$state/watchdog.pid"

    printf 'DEVICE=%s\n' "${devices[@]}"
    echo "BUS=$bus"
}

pull() {
    [ $# -eq 1 ] && grep -qx "$1" "$state/devices" 2>/dev/null ||
        { echo "usage: $0 pull <device of the test bed>" >&2; exit 2; }
    local target
    for target in $(findmnt -n -o TARGET --source "$1"); do
        umount -l "$target" || exit 1
    done
    losetup -d "$1"
}

case "${1:-}" in
start) shift; start "$@" ;;
pull) shift; pull "$@" ;;
stop) stop ;;
*) echo "usage: $0 start <folder>... | pull <device> | stop" >&2; exit 2 ;;
esac
