#!/usr/bin/env bash
# Discs seen at once under Wine: with a poll interval far longer than the test, a disc put into a
# folder-backed CD-ROM drive shows in its row at once, and so does its removal. The drive is redefined
# through Wine's mount manager, and the system's WM_DEVICECHANGE for the volume is broadcast by a helper
# (Wine's mount manager sends none for a redefined drive). A timer tick cannot be what updates the row:
# the first one is a minute away.
#
# Environment: see session.bash.
set -euo pipefail
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"

TAVIMORO_EXE=$WIN_BUILD/tavimoro.exe
DRIVER_EXE=$WIN_BUILD/tests/win32/driver.exe
MOUNT_EXE=$WIN_BUILD/tests/win32/mountdrive.exe
CHANGE_EXE=$WIN_BUILD/tests/win32/devicechange.exe
require_files "$TAVIMORO_EXE" "$DRIVER_EXE" "$MOUNT_EXE" "$CHANGE_EXE"
wine_session_start

mkdir -p "$C/tavi" "$C/tools" "$WORK/empty" "$WORK/discs/one"
cp "$TAVIMORO_EXE" "$C/tavi/tavimoro.exe"
cp "$DRIVER_EXE" "$MOUNT_EXE" "$CHANGE_EXE" "$C/tools/"
printf 'WAKE_ONE\n' >"$WORK/discs/one/.windows-label"
printf '[AutoRun]\r\nopen=setup.exe\r\n' >"$WORK/discs/one/AUTORUN.INF"
printf '[Status]\r\nRefreshTimer=60000\r\nChangeTimer=60000\r\n[CD]\r\nDrive_M=True\r\n' >"$C/tavi/tavimoro.ini"

step "an empty CD-ROM drive M:"
ln -s "$WORK/empty" "$WINEPREFIX/dosdevices/m:"
wine reg add 'HKLM\Software\Wine\Drives' /v m: /d cdrom /f >>"$WORK/reg.log" 2>&1 ||
    fail "could not mark m: as a CD-ROM drive (see $WORK/reg.log)"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

mount() { # LETTER FOLDER
    wine 'C:\tools\mountdrive.exe' "$1" "$2" >>"$WORK/mount.log" 2>&1 || fail "mountdrive $1 $2 failed"
}
announce() { # arrival|removal LETTER
    wine 'C:\tools\devicechange.exe' "$1" "$2" >>"$WORK/mount.log" 2>&1 || fail "devicechange $1 $2 failed"
}
now_ms() { date +%s%3N; }
# row_within TEXT SECONDS: the row shows TEXT within that many seconds of now (the driver's own start
# included); prints how long it took.
row_within() {
    local start=$(now_ms)
    drv wait "$1" "$2" >"$WORK/dump.txt" || {
        cat "$WORK/dump.txt" >&2
        fail "the row did not show [$1] within $2 s, long before the next tick"
    }
    echo "    seen after $(($(now_ms) - start)) ms (driver start included)"
}

step "the window, its one row empty"
wine 'C:\tavi\tavimoro.exe' >>"$WORK/tavimoro.log" 2>&1 &
tavimoro_pid=$!
expect 'button 1 visible=1 enabled=0' 'drive 1 visible=1'
drv dump | grep -q '^volume 1 .* text=$' || fail "the empty drive's row shows a label: $(drv dump | grep '^volume 1')"

step "a disc put into M: shows at once"
mount m "$WORK/discs/one"
sleep 1
drv dump | grep -q '^volume 1 .* text=$' || fail "the row changed before the news of the disc"
announce arrival m
row_within 'text=WAKE_ONE' 3
drv dump | grep -q '^button 1 visible=1 enabled=1' || fail "the autorun disc's button is not enabled"

step "the disc taken out of M: goes at once"
mount m "$WORK/empty"
announce removal m
row_within 'button 1 visible=1 enabled=0' 3

kill "$tavimoro_pid" 2>/dev/null || true
wait "$tavimoro_pid" 2>/dev/null || true
echo "wake: all checks passed"
