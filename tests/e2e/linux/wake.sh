#!/usr/bin/env bash
# Discs seen at once on Linux: with a poll interval far longer than the test, a disc mounted on a
# simulated machine (its udev file and the mount table replaced, as udev and the kernel do) shows in
# its row at once, and so does its removal. The row is seen through the Start-menu entry the program
# writes for an autorun disc. A timer tick cannot be what updates the row: the first one is a minute
# away. Prints how long each took, measured from outside (the test's own polling included).
set -u

: "${TAVIMORO_E2E:?TAVIMORO_E2E must name the test build of the program}"
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
export QT_QPA_PLATFORM=offscreen
e2e_private_user
e2e_program
e2e_machine 2
menu="$XDG_DATA_HOME/applications"
printf '[Mode]\nAutoShortcut=True\n[Status]\nRefreshTimer=60000\nChangeTimer=60000\n' >"$settings"
printf '[CD]\nDrive_D=True\nDrive_E=True\n' >>"$settings"

disc="$work/discs/one"
e2e_recorder "$disc/setup.sh" one
printf '[AutoRun]\r\nopen=setup.sh\r\n' >"$disc/AUTORUN.INF"
now_ms() { date +%s%3N; }
# before_the_tick DESCRIPTION COMMAND...: the command holds within 20 s, long before the next tick, which
# is a minute away: the news of the change, not the timer, brought it. Prints how long it took.
before_the_tick() {
    local what=$1 start
    shift
    start=$(now_ms)
    wait_until -t 20 "$what" "$@" && echo "$what: $(($(now_ms) - start)) ms"
}
entry() { [ -f "$menu/(E) WAKE_ONE.desktop" ]; }
no_entry() { ! entry; }

# A disc in D: from the start: its entry says the window has loaded (and watches the drives).
ready="$work/discs/ready"
e2e_recorder "$ready/setup.sh" ready
printf '[AutoRun]\r\nopen=setup.sh\r\n' >"$ready/AUTORUN.INF"
e2e_insert0 "$ready" READY
e2e_start
wait_until "the program did not load its window" test -f "$menu/(D) READY.desktop"
no_entry || fail "an entry before any disc"

# udev rewrites the drive's file, then the kernel's mount table shows the medium mounted.
printf 'E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=WAKE_ONE\n' >"$TAVIMORO_TEST_UDEV/b11:1.new"
mv "$TAVIMORO_TEST_UDEV/b11:1.new" "$TAVIMORO_TEST_UDEV/b11:1"
{
    echo "$e2e_root_mount"
    echo "40 22 11:0 / $ready ro,relatime - iso9660 /dev/sr0 ro"
    echo "41 22 11:1 / $disc ro,relatime - iso9660 /dev/sr1 ro"
} >"$TAVIMORO_TEST_MOUNTINFO.new"
mv "$TAVIMORO_TEST_MOUNTINFO.new" "$TAVIMORO_TEST_MOUNTINFO"
before_the_tick "the mounted disc's row" entry

# Unmounted: the mount table changes first, written in place.
{
    echo "$e2e_root_mount"
    echo "40 22 11:0 / $ready ro,relatime - iso9660 /dev/sr0 ro"
} >"$TAVIMORO_TEST_MOUNTINFO"
before_the_tick "the unmounted disc's row" no_entry

e2e_finish wake "$work/program.log"
