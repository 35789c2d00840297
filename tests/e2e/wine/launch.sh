#!/usr/bin/env bash
# The Windows program under Wine, launched the way its users launch it with a path: a folder laid out
# like a disc (or its AUTORUN.INF) on the command line. Checks what a user would see and what lands on
# disk: the disc's program started with its arguments in the disc's folder, the launch shortcut beside
# the executable, the settings file of the first run, and the message box of a failed launch.
#
# Environment: see session.bash.
set -euo pipefail
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"

wine_session_start
wine_program lnkread driver

# make_disc FOLDER INF_NAME OPEN_LINE: a folder laid out like an autorun disc with the recorder on it.
make_disc() {
    mkdir -p "$C/$1"
    cp "$RECORDER_EXE" "$C/$1/RECORDER.EXE"
    printf '[AutoRun]\r\nopen=%s\r\nicon=RECORDER.EXE,0\r\n' "$3" >"$C/$1/$2"
}
make_disc disc AUTORUN.INF 'RECORDER.EXE /auto "x y"'
make_disc "disc two" AUTORUN.INF 'RECORDER.EXE /second'
make_disc "ディスク" autorun.inf 'RECORDER.EXE'
make_disc bad AUTORUN.INF 'MISSING.EXE /x'
rm "$C/bad/RECORDER.EXE"

# tavimoro ARGS...: runs the program as a user would from a prompt, waits for it to end; status_of ARGS...
# prints its exit status (Wine passes it on).
tavimoro() {
    timeout 60 wine 'C:\tavi\tavimoro.exe' "$@" >>"$WORK/tavimoro.log" 2>&1 ||
        fail "tavimoro.exe $* did not end by itself (status $?)"
}
status_of() { timeout 60 wine 'C:\tavi\tavimoro.exe' "$@" >>"$WORK/tavimoro.log" 2>&1 && echo 0 || echo $?; }

# expect_launch FOLDER ARGS: the recorder in FOLDER ran with ARGS, in FOLDER.
expect_launch() {
    local record="$C/$1/record.txt" winfolder="C:\\${1//\//\\}"
    # The recorder runs detached from the program; it may write a little later.
    wait_until -t 20 "the disc program in C:\\$1 was not started" record_ready "$record"
    local args cwd
    args=$(record_field "$record" args)
    cwd=$(record_field "$record" cwd)
    [ "$args" = "$2" ] || fail "C:\\$1: arguments [$args], expected [$2]"
    [ "${cwd%\\}" = "$winfolder" ] || fail "C:\\$1: working folder [$cwd], expected [$winfolder]"
}

step "launch of a folder named on the command line"
tavimoro 'C:\disc'
expect_launch disc '/auto "x y"'

step "the settings file of the first run"
printf '[Status]\r\nRefreshTimer=1000\r\nChangeTimer=1000\r\n' >"$WORK/expected.ini"
[ -f "$C/tavi/tavimoro.ini" ] || fail "no settings file C:\\tavi\\tavimoro.ini"
cmp -s "$WORK/expected.ini" "$C/tavi/tavimoro.ini" ||
    fail "tavimoro.ini holds [$(od -c "$C/tavi/tavimoro.ini" | head -5)]"

step "the launch shortcut C:\\tavi\\autorun.lnk"
[ -f "$C/tavi/autorun.lnk" ] || fail "no launch shortcut C:\\tavi\\autorun.lnk"
wine 'C:\tools\lnkread.exe' 'C:\tavi\autorun.lnk' >"$WORK/lnk.txt" 2>>"$WORK/tavimoro.log" ||
    fail "lnkread could not read autorun.lnk"
expect_lnk() {
    local got
    got=$(record_field "$WORK/lnk.txt" "$1")
    [ "$got" = "$2" ] || fail "autorun.lnk: $1 [$got], expected [$2]"
}
expect_lnk target 'C:\disc\RECORDER.EXE'
expect_lnk arguments '/auto "x y"'
expect_lnk workdir 'C:\disc\'
expect_lnk icon ''

step "/TestMode launches nothing"
# No launch shortcut written means nothing was launched, however late a launched program would start.
rm -f "$C/disc/record.txt" "$C/tavi/autorun.lnk"
# Test mode would open the main window, which stays: a launch from the command line would come before
# it. Once it is there, look for a launch, then end whatever still runs.
(wine 'C:\tavi\tavimoro.exe' /TestMode >>"$WORK/tavimoro.log" 2>&1 &)
drv wait 'window visible=1' 20 >"$WORK/dump.txt" || fail "/TestMode showed no window"
# This machine has no CD-ROM drive: the window says what to do, inside the window.
expect 'hint 0 visible=1 '
read -r width x w <<<"$(sed -nE 's/^window .*client=([0-9]+),.*/\1/p; s/^hint 0 visible=1 rect=([0-9]+),[0-9]+,([0-9]+),.* text=.+/\1 \2/p' "$WORK/dump.txt" | tr '\n' ' ')"
((w > 0 && x + w <= width)) || fail "no hint inside the window: $(cat "$WORK/dump.txt")"
wineserver -k 2>/dev/null || true
if [ -e "$C/disc/record.txt" ] || [ -e "$C/tavi/autorun.lnk" ]; then
    fail "/TestMode started the disc program"
fi
cmp -s "$WORK/expected.ini" "$C/tavi/tavimoro.ini" || fail "/TestMode changed tavimoro.ini"

step "a quoted folder with a space, and a second launch overwriting the shortcut"
# Wine builds the Windows command line from the arguments and quotes one with a blank: the program sees
# "C:\disc two" with its quotes.
tavimoro 'C:\disc two'
expect_launch "disc two" '/second'
wine 'C:\tools\lnkread.exe' 'C:\tavi\autorun.lnk' >"$WORK/lnk.txt" 2>>"$WORK/tavimoro.log" ||
    fail "lnkread could not read autorun.lnk"
expect_lnk target 'C:\disc two\RECORDER.EXE'
expect_lnk arguments '/second'

step "an AUTORUN.INF path (small letters, Japanese folder name), a program without arguments"
tavimoro 'C:\ディスク\autorun.inf'
expect_launch "ディスク" ''
wine 'C:\tools\lnkread.exe' 'C:\tavi\autorun.lnk' >"$WORK/lnk.txt" 2>>"$WORK/tavimoro.log" ||
    fail "lnkread could not read autorun.lnk"
expect_lnk arguments ''

step "a folder without AUTORUN.INF launches nothing and ends with status 1"
mkdir -p "$C/plain"
cp "$RECORDER_EXE" "$C/plain/RECORDER.EXE"
rm -f "$C/tavi/autorun.lnk"
[ "$(status_of 'C:\plain')" = 1 ] || fail "a folder without AUTORUN.INF: exit status is not 1"
[ ! -e "$C/tavi/autorun.lnk" ] || fail "a folder without AUTORUN.INF started a program"

# find_box TITLE: the id and geometry ("ID W H X Y") of a top-level window with that title, if any.
# Without one, it prints nothing and still succeeds: between two boxes none is there, and the script's
# errexit would end it.
find_box() {
    grep -m1 "\"$1\":" <<<"$(xwininfo -root -tree 2>/dev/null)" |
        sed -E 's/^ *(0x[0-9a-f]+) .* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*$/\1 \2 \3 \4 \5/' || true
}
# wait_box TITLE: waits up to 20 s for such a window; prints what find_box prints.
wait_box() {
    local box=""
    for _ in $(seq 1 100); do
        box=$(find_box "$1")
        [ -n "$box" ] && break
        sleep 0.2
    done
    echo "$box"
}
# press_ok "ID W H X Y": clicks the OK button, centred at the bottom of a message box (there is no window
# manager to give a box the keyboard).
press_ok() {
    local w h x y
    read -r _ w h x y <<<"$1"
    xdotool mousemove $((x + w / 2)) $((y + h - 22)) click 1
}
# close_boxes_until_end PID TITLE: presses OK on every box with that title until the program ends.
close_boxes_until_end() {
    local box
    for _ in $(seq 1 60); do
        kill -0 "$1" 2>/dev/null || return 0
        box=$(find_box "$2")
        [ -n "$box" ] && press_ok "$box"
        sleep 0.5
    done
    fail "tavimoro.exe did not end after its message boxes were closed"
}


step "a launch of a missing program: the program says so before it starts anything"
rm -f "$C/tavi/autorun.lnk"
wine 'C:\tavi\tavimoro.exe' 'C:\bad' >>"$WORK/tavimoro.log" 2>&1 &
pid=$!
said=$(drv msgbox Tavimoro 20) || fail "no message box after a launch of a missing program"
[ "$said" = 'msgbox text=プログラムを起動できませんでした。|プログラムが見つかりません: C:\bad\MISSING.EXE' ] ||
    fail "the missing program's message reads [$said]"
[ -z "$(find_box "エラー")" ] && [ ! -e "$C/tavi/autorun.lnk" ] || fail "the shell was asked to start it all the same"
sleep 1 # let the box finish painting
import -window root "$ARTIFACT_DIR/wine-launch-failure.png"
echo "screenshot: $ARTIFACT_DIR/wine-launch-failure.png"
close_boxes_until_end $pid "Tavimoro"

step "a disc image: Wine has no mount of the shell's, and the program says so"
{ head -c 32769 /dev/zero && printf CD001; } >"$C/disc.iso"
wine 'C:\tavi\tavimoro.exe' 'C:\disc.iso' >>"$WORK/tavimoro.log" 2>&1 &
pid=$!
said=$(drv msgbox Tavimoro 20) || fail "no message box after a disc image on the command line"
[[ $said == 'msgbox text=ディスク イメージを開けませんでした。|この Windows には'* ]] || fail "the image's message reads [$said]"
close_boxes_until_end $pid "Tavimoro"

step "a program line naming the system's program without an extension, as discs do (explorer .)"
mkdir -p "$C/explore" && printf '[AutoRun]\r\nopen=explorer .\r\n' >"$C/explore/AUTORUN.INF"
tavimoro 'C:\explore'
wine 'C:\tools\lnkread.exe' 'C:\tavi\autorun.lnk' >"$WORK/lnk.txt" 2>>"$WORK/tavimoro.log" ||
    fail "lnkread could not read autorun.lnk"
[[ $(record_field "$WORK/lnk.txt" target) =~ ^C:\\windows\\(system32\\)?explorer\.exe$ ]] ||
    fail "the shortcut's target is [$(record_field "$WORK/lnk.txt" target)], not the system's explorer"
expect_lnk arguments '.'
expect_lnk workdir 'C:\explore\'
wait_box "explore" >"$WORK/box.txt"
[ -s "$WORK/box.txt" ] || fail "no window of the explorer on the disc's folder: $(xwininfo -root -tree | grep -i explor)"

step "a launch shortcut that cannot be saved: the program's own message box"
rm -f "$C/disc/record.txt" "$C/tavi/autorun.lnk"
mkdir "$C/tavi/autorun.lnk"
wine 'C:\tavi\tavimoro.exe' 'C:\disc' >>"$WORK/tavimoro.log" 2>&1 &
pid=$!
box=$(wait_box "Tavimoro")
[ -n "$box" ] || fail "no message box titled Tavimoro when the launch shortcut cannot be saved"
sleep 1
import -window root "$ARTIFACT_DIR/wine-save-failure.png"
echo "screenshot: $ARTIFACT_DIR/wine-save-failure.png"
close_boxes_until_end $pid "Tavimoro"
[ ! -e "$C/disc/record.txt" ] || fail "the disc program ran although its shortcut was not saved"
rmdir "$C/tavi/autorun.lnk"

step "a second start hands its path to the running program, which launches it as a drop"
rm -f "$C/disc two/record.txt"
wine 'C:\tavi\tavimoro.exe' >>"$WORK/tavimoro.log" 2>&1 &
first=$!
drv wait 'window visible=1' 20 >"$WORK/dump.txt" || fail "the first start showed no window"
[ "$(status_of 'C:\nowhere')" = 1 ] || fail "a second start with a missing path: exit status is not 1"
[ "$(status_of 'C:\disc two')" = 0 ] || fail "a second start with a disc: exit status is not 0"
expect_launch "disc two" '/second'
# Not resident, the running program ends a second after a launch, as after a drop: the launch was its own.
wine_ended $first "the running program did not end after the launch it was handed"

wineserver -k 2>/dev/null || true
echo "PASS: launch from the command line under Wine"
