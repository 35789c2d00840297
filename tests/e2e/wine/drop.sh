#!/usr/bin/env bash
# Drag and drop onto the Windows program under Wine, from an XDnD drag source (xdnd_drop): Wine's X11
# driver takes the drop on the window's X window and posts WM_DROPFILES. A dropped disc folder starts
# the disc's program in its folder and the program, not resident, ends; text is refused and a plain file
# starts nothing; a drop on a drive button (enabled by a disc in the drive) or on a label counts as one
# on the window, and starts the dropped disc, not the one in the drive.
#
# Environment: see session.bash; XDND_DROP (the drag source, built with the Linux programs).
set -euo pipefail
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"

[ -x "${XDND_DROP:-}" ] || fail "XDND_DROP must name the XDnD drag source (tests/tools/xdnd_drop)"
wine_session_start
wine_program driver mountdrive

# make_disc FOLDER OPEN [INF]: a disc laid out in a folder; the recorder writes record.txt beside itself.
make_disc() {
    mkdir -p "$1"
    cp "$RECORDER_EXE" "$1/RECORDER.EXE"
    printf '[AutoRun]\r\nopen=%s\r\n' "$2" >"$1/${3:-AUTORUN.INF}"
}
# The disc in the drive M: enables its button; a drop must not start it (nor the one swapped in later).
in_drive=$WORK/discs/in-drive
make_disc "$in_drive" 'RECORDER.EXE /drive'
printf 'IN_DRIVE\n' >"$in_drive/.windows-label"
swapped=$WORK/discs/swapped
make_disc "$swapped" 'RECORDER.EXE /swapped'
printf 'SWAPPED\n' >"$swapped/.windows-label"
wine_cdrom m "$in_drive"
wine_drives_reload
# The dropped disc: a blank in its folder's name, a lower-case autorun.inf.
disc="$WORK/discs/disc a"
make_disc "$disc" 'RECORDER.EXE /a "b c"' autorun.inf
echo text >"$disc/readme.txt"
# Wine shows a Unix folder outside its drives on Z:.
disc_dos="Z:${disc//\//\\}"

# start: the program, with its window up and M:'s button enabled. Sets tavimoro_pid, xwin (the window's
# X window, which carries XdndAware) and its client area's place in that X window: Wine draws the frame
# itself inside the X window, which has no window manager frame around it here.
start() {
    rm -f "$disc/record.txt" "$in_drive/record.txt" "$swapped/record.txt"
    wine 'C:\tavi\tavimoro.exe' >>"$WORK/tavimoro.log" 2>&1 &
    tavimoro_pid=$!
    drv wait 'button 1 visible=1 enabled=1' 20 >"$WORK/dump.txt" || {
        cat "$WORK/dump.txt" >&2
        fail "the window never showed an enabled button"
    }
    # The rows come before the settings size the window and show it: measure the window it shows.
    drv wait 'window visible=1' 20 >"$WORK/dump.txt" || fail "the window was never shown"
    # Wine maps the X window after Windows counts the window visible; a drop needs it mapped.
    wait_until "no X window named tavimoro was shown" \
        eval 'xwin=$(xdotool search --onlyvisible --name "^tavimoro$" | head -n 1) && [ -n "$xwin" ]'
    local client width height
    client=$(sed -nE 's/^window .*client=([0-9]+),([0-9]+).*/\1 \2/p' "$WORK/dump.txt")
    read -r width height < <(xwininfo -id "$xwin" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
    border=$(((width - ${client% *}) / 2))
    top=$((height - ${client#* } - border))
}
# drop [--text] X Y ITEM...: a drop at X,Y of the client area; the drag source's status.
drop() {
    local options=()
    [ "$1" = --text ] && options=("$1") && shift
    "$XDND_DROP" "${options[@]}" "$xwin" $(($1 + border)) $(($2 + top)) "${@:3}" 2>"$WORK/drop.err"
}
# launched WHAT: the dropped disc's program ran in the disc's folder, and the program ended.
launched() {
    wait_until "$1: the dropped disc's program did not start" record_ready "$disc/record.txt"
    local args cwd
    args=$(record_field "$disc/record.txt" args)
    cwd=$(record_field "$disc/record.txt" cwd)
    [ "$args" = '/a "b c"' ] || fail "$1: the disc's program got [$args]"
    [ "${cwd%\\}" = "$disc_dos" ] || fail "$1: the disc's program ran in [$cwd], not [$disc_dos]"
    drv gone 10 || fail "$1: the window is still there after the launch"
    wine_ended "$tavimoro_pid" "$1: the program did not end after the launch"
    [ ! -e "$in_drive/record.txt" ] && [ ! -e "$swapped/record.txt" ] || fail "$1: the disc in the drive was started"
}

step "text and a plain file start nothing; a disc folder on the window starts its program"
start
if drop --text 51 4 "$disc"; then
    fail "the window took dropped text"
fi
grep -q refused "$WORK/drop.err" || fail "dropped text: $(cat "$WORK/drop.err")"
drop 51 4 "$disc/readme.txt" || fail "the window did not take a plain file: $(cat "$WORK/drop.err")"
# Wine posts WM_DROPFILES and answers at once; a wrongly armed end would come a second later. A disc
# swapped into M: shows in the second poll that sees it (the first one empties the row), a second after
# the first: by then that second has passed for the program too.
wine 'C:\tools\mountdrive.exe' m "$swapped" >>"$WORK/mount.log" 2>&1 || fail "mountdrive m failed"
expect 'text=SWAPPED'
kill -0 "$tavimoro_pid" 2>/dev/null || fail "a dropped plain file ended the program"
[ ! -e "$disc/record.txt" ] || fail "a dropped plain file started the disc's program"
drop 51 4 "$disc" || fail "the window did not take a disc folder: $(cat "$WORK/drop.err")"
launched "a disc folder on the window"

# Each on a child control: Wine hands the drop to the window under the point or, when that window does
# not take files, to the nearest parent that does.
for target in button volume drive; do
    step "a disc folder on the $target of M:"
    start
    rect=$(field "$(grep -m1 "^$target 1 " "$WORK/dump.txt")" rect)
    IFS=, read -r x y w h <<<"$rect"
    drop $((x + w / 2)) $((y + h / 2)) "$disc" ||
        fail "the $target did not take a disc folder: $(cat "$WORK/drop.err")"
    launched "a disc folder on the $target"
done

wineserver -k 2>/dev/null || true
echo "PASS: drag and drop under Wine"
