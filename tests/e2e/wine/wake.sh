#!/usr/bin/env bash
# Discs seen at once under Wine: with a poll interval far longer than the test, a disc put into a
# folder-backed CD-ROM drive shows in its row at once, and so does its removal. The drive is redefined
# through Wine's mount manager, and the system's WM_DEVICECHANGE for the volume is broadcast by a helper
# (Wine's mount manager sends none for a redefined drive). A timer tick cannot be what updates the row:
# the first one is a minute away. A disc in N: from the start gives the keyboard focus a button to go to.
#
# Environment: see session.bash.
set -euo pipefail
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"

wine_session_start
wine_program driver mountdrive devicechange
mkdir -p "$WORK/empty" "$WORK/discs/one" "$WORK/discs/other"
printf 'WAKE_ONE\n' >"$WORK/discs/one/.windows-label"
printf '[AutoRun]\r\nopen=setup.exe\r\n' >"$WORK/discs/one/AUTORUN.INF"
printf 'OTHER\n' >"$WORK/discs/other/.windows-label"
printf '[AutoRun]\r\nopen=setup.exe\r\n' >"$WORK/discs/other/AUTORUN.INF"
printf '[Status]\r\nRefreshTimer=60000\r\nChangeTimer=60000\r\n[CD]\r\nDrive_M=True\r\nDrive_N=True\r\n' \
    >"$INI"

step "an empty CD-ROM drive M:, and N: with a disc"
wine_cdrom m "$WORK/empty"
wine_cdrom n "$WORK/discs/other"
wine_drives_reload

mount() { # LETTER FOLDER
    wine 'C:\tools\mountdrive.exe' "$1" "$2" >>"$WORK/mount.log" 2>&1 || fail "mountdrive $1 $2 failed"
}
# announce arrival|removal LETTER TEXT: the news of the volume, then the wait (at most 20 s, long before
# the next tick) until row 1's label reads TEXT; prints how long that took after the news.
announce() {
    local took
    took=$(wine 'C:\tools\devicechange.exe' "$1" "$2" 1 "$3" 2>>"$WORK/mount.log" | tr -d '\r') ||
        fail "after the news of $1 of $2:, row 1 never read [$3]: $(drv dump | grep '^volume 1')"
    echo "    row 1 read [$3] ${took#ms=} ms after the news"
}

step "the window, its one row empty"
wine 'C:\tavi\tavimoro.exe' >>"$WORK/tavimoro.log" 2>&1 &
tavimoro_pid=$!
expect 'button 1 visible=1 enabled=0' 'drive 1 visible=1' 'button 2 visible=1 enabled=1'
grep -q '^volume 1 .* text=$' <<<"$(drv dump)" || fail "the empty drive's row shows a label: $(drv dump | grep '^volume 1')"

step "a disc put into M: shows at once"
mount m "$WORK/discs/one"
# Keys come to the program after every message posted to it before: once Tab has moved the focus to N:'s
# button (Tab reads no drive), the program has handled whatever the redefinition of M: told it.
drv input window tab || fail "could not press Tab"
expect 'button 2 visible=1 enabled=1 icon=0 rect=0,49,49,49 focus=1'
grep -q '^volume 1 .* text=$' <<<"$(drv dump)" || fail "the row changed before the news of the disc"
announce arrival m WAKE_ONE
expect 'button 1 visible=1 enabled=1'
grep -q '^volume 1 .* text=WAKE_ONE$' <<<"$(drv dump)" || fail "the row lost its label again"

step "the disc taken out of M: goes at once"
mount m "$WORK/empty"
announce removal m ""
expect 'button 1 visible=1 enabled=0'

kill "$tavimoro_pid" 2>/dev/null || true
wait "$tavimoro_pid" 2>/dev/null || true
echo "wake: all checks passed"
