#!/usr/bin/env bash
# How the real program ends when it is not asked through its own Exit: a resident program with a
# Start-menu entry that gets SIGTERM, SIGINT or SIGHUP (a log-out, Ctrl+C, a closed terminal) ends
# through its normal unload, leaving no entry and its placement saved; an entry that a killed run
# (SIGKILL) left behind is gone after the next start once its disc has gone.
set -u

: "${TAVIMORO_E2E:?TAVIMORO_E2E must name the test build of the program}"
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
e2e_require Xvfb openbox xdotool xprop
e2e_start_display
e2e_private_user
e2e_machine 1
e2e_program
entry="$XDG_DATA_HOME/applications/(D) GAME.desktop"

disc="$work/discs/game"
e2e_recorder "$disc/setup.sh" game
printf '[AutoRun]\r\nopen=setup.sh\r\n' >"$disc/AUTORUN.INF"
e2e_insert0 "$disc" GAME

# A script's background job starts with SIGINT ignored, which the program respects: a user's program
# started from a terminal has it.
start() { e2e_start env --default-signal=INT; }
window_saved() { grep -q '^frm_main_Top=' "$settings"; }

for signal in TERM INT HUP; do
    printf '[Mode]\nstandby=True\nAutoShortcut=True\n[Status]\nRefreshTimer=100\n[CD]\nDrive_D=True\n' >"$settings"
    start
    wait_until "SIG$signal: no Start-menu entry for the disc" test -f "$entry" || continue
    kill -s "$signal" "$program_pid"
    wait_until "SIG$signal: the resident program did not end" ended
    wait "$program_pid"
    status=$?
    [ "$status" -eq 0 ] || fail "SIG$signal: the program ended with status $status"
    [ ! -e "$entry" ] || fail "SIG$signal: the disc's Start-menu entry stayed"
    window_saved || fail "SIG$signal: the placement was not saved"
    grep -q '^standby=True' "$settings" || fail "SIG$signal: the settings file lost standby=True"
done

# A killed run leaves its entry; the next start, with the disc gone, removes it.
start
wait_until "no Start-menu entry before the kill" test -f "$entry"
kill -s KILL "$program_pid"
wait "$program_pid" 2>/dev/null
[ -f "$entry" ] || fail "the entry of the killed run is not there to be found"
printf 'E:ID_CDROM_MEDIA=0\n' >"$TAVIMORO_TEST_UDEV/b11:0"
echo "$e2e_root_mount" >"$TAVIMORO_TEST_MOUNTINFO"
start
wait_until "the entry a killed run left behind is still there after a start" test ! -e "$entry"
kill -s TERM "$program_pid"
wait_until "the second run did not end" ended

# Started with SIGHUP ignored (nohup), the program keeps to it.
printf '[Mode]\nstandby=True\n[CD]\nDrive_D=True\n' >"$settings"
e2e_start nohup
wait_until "the program started with nohup shows no window" visible_window
kill -s HUP "$program_pid"
# Nothing shows that a signal was not handled; two polls after it, a handled one would have ended the
# program.
e2e_polls 2
ended && fail "nohup: SIGHUP ended the program"
kill -s TERM "$program_pid"
wait "$program_pid"

e2e_finish ends "$work/program.log"
