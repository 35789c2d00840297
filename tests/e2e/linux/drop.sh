#!/usr/bin/env bash
# Drag and drop onto the real program's window, on Xvfb with a window manager, from an XDnD drag source
# (a file manager's part, played by xdnd_drop): a dropped disc folder, AUTORUN.INF or disc image starts
# the disc's program in its folder and the program, not resident, ends a second later; text, a plain
# file or a folder without AUTORUN.INF starts nothing and the program keeps running; several folders at
# once all start; a drop on a drive button or a label counts as one on the window.
set -u

: "${TAVIMORO_E2E:?TAVIMORO_E2E must name the test build of the program}"
: "${XDND_DROP:?XDND_DROP must name the XDnD drag source (tests/tools/xdnd_drop)}"
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
e2e_require Xvfb openbox xdotool xwininfo xprop
e2e_start_display
e2e_private_user
# One CD-ROM drive sr0, so the window has one row: D:'s button at 0,0 (49 px square), its labels from
# x=53 (the volume label at y=8, the drive label at y=25, 17 px high).
e2e_machine 1
e2e_program

# ---- The discs, as folders. Their names need escaping in a URI: a blank, "%", Japanese.
discs="$work/discs"
disc_a="$discs/disc a"
e2e_recorder "$disc_a/Bin/Record.sh" a
printf '[AutoRun]\r\nopen=Bin\\Record.sh first "second arg"\r\n' >"$disc_a/AUTORUN.INF"
echo text >"$disc_a/readme.txt"
disc_b="$discs/ディスク 100%"
e2e_recorder "$disc_b/run.sh" b
printf '[AutoRun]\r\nopen=run.sh b\r\n' >"$disc_b/AUTORUN.INF"
disc_c="$discs/c"
e2e_recorder "$disc_c/go.sh" c
printf '[AutoRun]\r\nopen=go.sh\r\n' >"$disc_c/autorun.inf"
# In the drive: its button is enabled, and a drop must not launch it instead of the dropped disc.
disc_in="$discs/in drive"
e2e_recorder "$disc_in/drive.sh" drive
printf '[AutoRun]\r\nopen=drive.sh\r\n' >"$disc_in/AUTORUN.INF"
plain="$discs/data"
mkdir -p "$plain"
echo data >"$plain/readme.txt"

# The long volume label of the disc in D: widens the window once the disc was read, its button enabled.
# Starts the program, not resident, with D: registered; waits until its window is ready for a drop.
start() {
    printf '[Mode]\nstandby=False\n[Status]\nRefreshTimer=100\nChangeTimer=100\n[CD]\nDrive_D=True\n' >"$settings"
    rm -f "$RECORD_DIR"/*
    e2e_start
    wait_until "the window is not shown" visible_window &&
        wait_client "one row should be 49 px high" height = 49
}
# drop [--text] X Y ITEM...: drops onto the window at X,Y of its client area; the drag source's status.
drop() {
    local options=()
    [ "$1" = --text ] && options=("$1") && shift
    "$XDND_DROP" "${options[@]}" "$(window_id)" "$@" 2>"$work/drop.err"
}
drop_ok() { # what, X, Y, ITEM...
    local what=$1
    shift
    drop "$@" || fail "$what: the window did not take the drop: $(cat "$work/drop.err")"
}
# launching_drop WHAT X Y ITEM...: the window takes the drop, and the program, not resident, ends with
# status 0 once the second after the launch is over (so not within half a second of the drop's end; a
# busy machine may make it later).
launching_drop() {
    local what=$1 dropped ms status
    shift
    if ! drop "$@"; then
        fail "$what: the window did not take the drop: $(cat "$work/drop.err")"
        kill "$program_pid"
        wait "$program_pid" 2>/dev/null
        return 1
    fi
    dropped=$(date +%s%N)
    if ! wait_until "$what: the program did not end after the launch" ended; then
        kill "$program_pid"
        wait "$program_pid" 2>/dev/null
        return 1
    fi
    ms=$((($(date +%s%N) - dropped) / 1000000))
    ((ms >= 500)) || fail "$what: the program ended $ms ms after the drop, before the second after the launch"
    wait "$program_pid"
    status=$?
    [ "$status" -eq 0 ] || fail "$what: exit status $status"
}
# expect_runs WHAT NAME...: exactly these disc programs ran, each once, in any order.
expect_runs() {
    local what=$1 want
    shift
    want=$(printf '%s\n' "$@" | sort)
    for _ in $(seq 1 100); do
        [ "$(e2e_runs | sort)" = "$want" ] && return 0
        sleep 0.1
    done
    fail "$what: [$*] should have run, not [$(e2e_runs | tr '\n' ' ')]"
}
# expect_run NAME CWD ARG...: how the disc program NAME was started.
expect_run() {
    local name=$1 cwd=$2
    shift 2
    [ -f "$RECORD_DIR/$name.cwd" ] || return 0 # reported by expect_runs
    [ "$(cat "$RECORD_DIR/$name.args")" = "$(printf '%s\n' "$@")" ] ||
        fail "$name got the arguments [$(tr '\n' '|' <"$RECORD_DIR/$name.args")]"
    [ "$(cat "$RECORD_DIR/$name.cwd")" = "$cwd" ] || fail "$name ran in [$(cat "$RECORD_DIR/$name.cwd")], not [$cwd]"
}
# A point of the bare window: between the button and the labels.
bare=(51 4)

# ================================================================================================
# Drops that launch nothing, then one that does: it launches alone, so none before it launched or armed
# the end. Text naming a disc folder (as a path and as a URI) is refused at once.
start
drop --text "${bare[@]}" "$disc_a" "file://${disc_a// /%20}"
status=$?
if [ "$status" -eq 0 ] || ! grep -q refused "$work/drop.err"; then
    fail "dropped text: the drag source says status $status, [$(cat "$work/drop.err")], not refused"
fi
drop_ok "a plain file" "${bare[@]}" "$disc_a/readme.txt"
drop_ok "a folder without AUTORUN.INF" "${bare[@]}" "$plain"
# A wrongly armed end would come a second after the drop: fifteen polls 100 ms apart take longer.
e2e_polls 15
alive || fail "a drop that launches nothing ended the program"
[ -z "$(e2e_runs)" ] || fail "a drop that launches nothing started [$(e2e_runs)]"

# (a) A disc folder on the bare window: its program, with arguments, in the disc's folder.
launching_drop "a disc folder" "${bare[@]}" "$disc_a"
expect_runs "a disc folder" a
expect_run a "$disc_a" first "second arg"

# (b) A file named AUTORUN.INF, in a folder whose name takes escapes in a URI.
start
launching_drop "an AUTORUN.INF" "${bare[@]}" "$disc_b/AUTORUN.INF"
expect_runs "an AUTORUN.INF" b
expect_run b "$disc_b" b

# (d) Two disc folders at once (one with a lower-case autorun.inf): both start, the program ends once.
start
launching_drop "two disc folders" "${bare[@]}" "$disc_c" "$disc_a"
expect_runs "two disc folders" a c
expect_run c "$disc_c"
expect_run a "$disc_a" first "second arg"

# (e) On D:'s enabled button, its volume label and its drive label: the dropped disc starts, not D:'s.
e2e_insert0 "$disc_in" THE_DISC_IN_DRIVE_D
for target in "button 24 24" "volume-label 70 16" "drive-label 70 33"; do
    read -r name x y <<<"$target"
    start
    wait_client "$name: the disc in D: was not shown" width -gt 133
    launching_drop "a disc folder on the $name" "$x" "$y" "$disc_a"
    expect_runs "a disc folder on the $name" a
done

# (f) A disc image: attached and mounted through the stand-in UDisks2, its program started where it mounted.
image="$discs/c.iso"
{ head -c 32769 /dev/zero && printf CD001; } >"$image"
e2e_udisks "{\"image_mount\": \"$disc_c\"}"
start
launching_drop "a disc image" "${bare[@]}" "$image"
expect_runs "a disc image" c
[ "$(udisks_calls)" = "LoopSetup Mount" ] || fail "a disc image: the service took [$(udisks_calls)]"

e2e_finish drop "$work/program.log"
