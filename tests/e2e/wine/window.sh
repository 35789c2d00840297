#!/usr/bin/env bash
# The drive window of the Windows program under Wine, with three folder-backed CD-ROM drives whose
# discs change while it runs. Checks what a user would see (rows, texts, icons, enabled buttons, the
# row geometry in pixels at 96 DPI) and what lands on disk (registrations, the launched program, the
# launch shortcut and its removal, the end of the program).
#
# Environment: see session.bash.
set -euo pipefail
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"

wine_session_start
wine_program driver mountdrive
mkdir -p "$WORK/empty"

step "three empty CD-ROM drives M:, N:, O:"
for letter in m n o; do wine_cdrom "$letter" "$WORK/empty"; done
wine_drives_reload

# make_disc NAME LABEL [OPEN ICON]: a folder laid out like a disc; without OPEN it has no AUTORUN.INF.
make_disc() {
    local dir=$WORK/discs/$1
    mkdir -p "$dir"
    printf '%s\n' "$2" >"$dir/.windows-label"
    cp "$RECORDER_EXE" "$dir/RECORDER.EXE"
    [ $# -ge 4 ] && printf '[AutoRun]\r\nopen=%s\r\nicon=%s\r\n' "$3" "$4" >"$dir/AUTORUN.INF"
    return 0
}
# The first disc's icon comes out of a program file (the program itself), the second's from an icon file.
make_disc one 'ソフトウェア集_VOL1' 'RECORDER.EXE /one "a b"' 'MENU.EXE,0'
cp "$WIN_BUILD/tavimoro.exe" "$WORK/discs/one/MENU.EXE"
make_disc two 'DISC_TWO' 'RECORDER.EXE /two' 'disc.ico'
convert -size 32x32 xc:none -fill '#c83232' -draw 'circle 16,16 16,2' -fill none \
    -draw 'circle 16,16 16,11' -fill white -draw 'circle 16,16 16,12' "$WORK/discs/two/disc.ico"
make_disc plain 'データ'
# A disc whose icon names no picture: its button shows none, and no text either.
make_disc noicon 'NO_ICON' 'RECORDER.EXE /x' 'readme.txt'

# mount LETTER DISC: puts a disc into a drive (DISC "empty": takes it out).
mount() {
    local folder=$WORK/discs/$2
    [ "$2" = empty ] && folder=$WORK/empty
    wine 'C:\tools\mountdrive.exe' "$1" "$folder" >>"$WORK/mount.log" 2>&1 || fail "mountdrive $1 $2 failed"
}
# line KIND ROW: the driver's line for one control.
line() { grep -m1 "^$1 $2 " <<<"$(drv dump)" || true; }

step "first run: every CD-ROM drive is registered, one row each"
wine 'C:\tavi\tavimoro.exe' >>"$WORK/tavimoro.log" 2>&1 &
tavimoro_pid=$!
expect 'drive 3 visible=1 rect=53,123,'
for letter in M N O; do
    [ "$(ini_value "Drive_$letter")" = True ] || fail "Drive_$letter is not registered: $(cat "$INI")"
done
[ "$(grep -c '^Drive_' "$INI")" = 3 ] || fail "other drives were registered: $(cat "$INI")"
# Rows at 96 DPI: 735-twip buttons are 49 px; labels 795 twips (53 px) from the left, the two lines
# centred on the button (112.5 twips rounds to 8 px, 367.5 to 25 px), 255 twips (17 px) high.
expect 'window visible=1 client=133,147 title=tavimoro' \
    'button 1 visible=1 enabled=0 icon=1 rect=0,0,49,49' \
    'button 2 visible=1 enabled=0 icon=1 rect=0,49,49,49' \
    'button 3 visible=1 enabled=0 icon=1 rect=0,98,49,49' \
    'volume 1 visible=1 rect=53,8,' 'drive 1 visible=1 rect=53,25,' \
    'volume 2 visible=1 rect=53,57,' 'drive 2 visible=1 rect=53,74,' \
    'volume 3 visible=1 rect=53,106,' 'drive 3 visible=1 rect=53,123,'
for row in 1 2 3; do
    text=$(field "$(line drive $row)" text)
    want="($(sed -n "${row}p" <<<$'M:\nN:\nO:'))"
    [ "$text" = "$want" ] || fail "row $row shows drive [$text], expected [$want]"
    [ "$(field "$(line drive $row)" rect | cut -d, -f4)" = 17 ] || fail "row $row: label height is not 17 px"
done

step "an autorun disc in M: fills its row and widens the window"
mount M one
expect 'volume 1 visible=1 rect=53,8,' 'text=ソフトウェア集_VOL1' 'button 1 visible=1 enabled=1 icon=1'
# The client area is the button, the widest label and a 60-twip margin: 53 px plus the label's width.
label_width=$(field "$(line volume 1)" rect | cut -d, -f3)
client_width=$(drv dump | sed -nE 's/^window .*client=([0-9]+),.*/\1/p')
[ "$label_width" -gt 80 ] || fail "the long label is only $label_width px wide"
slack=$((client_width - 53 - label_width))
((slack >= -1 && slack <= 1)) ||
    fail "client width $client_width for a label $label_width px wide"

step "the disc taken out: the row empties, the width stays"
mount M empty
expect 'button 1 visible=1 enabled=0'
[ -z "$(field "$(line volume 1)" text)" ] || fail "the volume label still shows after the disc went"
expect "window visible=1 client=$client_width,147"

step "one autorun disc swapped for another: the row shows the new disc"
mount M one
expect 'button 1 visible=1 enabled=1' 'text=ソフトウェア集_VOL1'
# The empty row between the two polls lasts one poll, shorter than a Wine start of the driver under load:
# the unit tables hold that step, this checks where it ends.
mount M two
expect 'text=DISC_TWO' 'button 1 visible=1 enabled=1 icon=1'

step "a second autorun disc in N: widens the window again"
mount N one
expect 'text=ソフトウェア集_VOL1' "window visible=1 client=$client_width,147"

step "a disc without AUTORUN.INF: the button stays disabled and the label empty"
# Such a disc counts as a change at every poll; coming last in letter order it leaves the width alone.
mount O plain
expect 'button 3 visible=1 enabled=0 icon=1'
# A rebuild of the rows reads every drive as a poll does: once it is done, O: has been read.
synced
[ -z "$(field "$(line volume 3)" text)" ] || fail "a disc without AUTORUN.INF shows its label"
expect "window visible=1 client=$client_width,147"

step "a disc whose icon names no picture: an empty button that can be clicked, named for a screen reader"
mount O noicon
expect 'button 3 visible=1 enabled=1 icon=0' 'text=NO_ICON'
[[ $(line button 3) == *' text=' ]] || fail "the button paints a text: $(line button 3)"
drv names | grep -q '^name button 1003 text=NO_ICON (O:)$' || fail "the button has no name: $(drv names)"

step "screenshot of three rows"
# The window's frame on the screen, from the X server: "X Y W H".
frame=$(grep -m1 '"tavimoro":' <<<"$(xwininfo -root -tree 2>/dev/null)" |
    sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*$/\3 \4 \1 \2/')
read -r fx fy fw fh <<<"${frame:-0 0 260 190}"
import -window root "$WORK/screen.png"
convert "$WORK/screen.png" -crop "$((fw + 8))x$((fh + 8))+$((fx > 4 ? fx - 4 : 0))+$((fy > 4 ? fy - 4 : 0))" +repage \
    "$ARTIFACT_DIR/wine-window.png"
echo "screenshot: $ARTIFACT_DIR/wine-window.png"

step "letter keys: on the window and on a focused button, each press toggles once"
drv key P >/dev/null
expect 'drive 4 visible=1 rect=53,172,' 'window visible=1 client='
[ "$(ini_value Drive_P)" = True ] || fail "P did not register drive P"
expect "window visible=1 client=$((client_width)),196"
drv key P 2 >/dev/null # to the button of row 2
synced
expect 'drive 3 visible=1'
[ "$(ini_value Drive_P)" = False ] || fail "P on a button toggled drive P [$(ini_value Drive_P)], not exactly once"
[ -z "$(line drive 4)" ] || fail "row 4 is still there after P was pressed again"
drv key Q 1 >/dev/null
expect 'drive 4 visible=1'
[ "$(ini_value Drive_Q)" = True ] || fail "Q on a button toggled drive Q [$(ini_value Drive_Q)], not exactly once"
drv key q >/dev/null # a small letter names the same key
synced                 # an arrow key changes no registration but rebuilds the rows
[ "$(ini_value Drive_Q)" = False ] || fail "Q on the window did not remove drive Q"
expect 'button 2 visible=1 enabled=1 icon=1' 'text=DISC_TWO'
[ -z "$(line drive 4)" ] || fail "row 4 is still there after Q was pressed again"

step "a click launches the disc's program, hides the window; the launch files go and the program ends"
rm -f "$WORK/discs/two/record.txt"
# The launch shortcut lives a second: its writing is watched for, not looked for.
"${FILE_EVENTS:?FILE_EVENTS must name tests/tools/file_events}" write "$C/tavi/autorun.lnk" 1 20 >"$WORK/lnk.txt" &
watcher=$!
wait_until "the launch shortcut is not watched" grep -q watching "$WORK/lnk.txt"
drv click 1 >/dev/null
wait "$watcher" || fail "no launch shortcut C:\\tavi\\autorun.lnk after the click"
expect 'window visible=0'
wait_until "the disc's program did not start" record_ready "$WORK/discs/two/record.txt"
args=$(record_field "$WORK/discs/two/record.txt" args)
cwd=$(record_field "$WORK/discs/two/record.txt" cwd)
[ "$args" = '/two' ] || fail "the disc's program got [$args]"
[ "${cwd%\\}" = 'M:' ] || fail "the disc's program ran in [$cwd]"
drv gone 10 || fail "the window is still there after the launch"
wine_ended "$tavimoro_pid" "the program did not end after the launch"
[ ! -e "$C/tavi/autorun.lnk" ] || fail "autorun.lnk was not removed"
grep -q '^frm_main_Top=' "$INI" || fail "the window's placement was not saved: $(cat "$INI")"

wineserver -k 2>/dev/null || true
echo "PASS: the drive window under Wine"
