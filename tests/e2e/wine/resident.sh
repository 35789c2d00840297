#!/usr/bin/env bash
# The Windows program as a resident program under Wine, with a real system tray (trayer, XEmbed): the
# resident start with only the tray icon; a second start that shows the first's hidden window and
# ends; the icon's double click and pop-up menu; the close box that
# only hides; the about box, the help text and the settings dialog from the pop-up menu and from the
# system menu (Alt+Space); what the settings dialog writes and what it changes at once (keep-on-top, the
# narrow window, the tray icon); the icon's return after the shell's taskbar is made anew; keys; and the
# exit that leaves the settings file resident. Saves screenshots of the pop-up menu, the settings dialog
# and the about box.
#
# Environment: see session.bash.
set -euo pipefail
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"

wine_session_start
wine_unmanaged
wine_program driver

step "two autorun discs in the CD-ROM drives M: and N:, a system tray"
for disc in one two; do
    dir=$WORK/discs/$disc
    mkdir -p "$dir"
    printf '%s\n' "DISC_${disc^^}" >"$dir/.windows-label"
    cp "$RECORDER_EXE" "$dir/RECORDER.EXE"
    printf '[AutoRun]\r\nopen=RECORDER.EXE /%s\r\nicon=RECORDER.EXE,0\r\n' "$disc" >"$dir/AUTORUN.INF"
done
wine_cdrom m "$WORK/discs/one"
wine_cdrom n "$WORK/discs/two"
tray_start # restarts Wine, which reads the drives anew

# mode_section: the keys of [Mode] in file order, "key=value" joined by blanks.
mode_section() { tr -d '\r' <"$INI" | awk '/^\[/ {inside = ($0 == "[Mode]"); next} inside' | paste -sd' '; }
# start: the program, resident; waits for its icon. Sets tavimoro_pid.
start() {
    wine 'C:\tavi\tavimoro.exe' >>"$WORK/tavimoro.log" 2>&1 &
    tavimoro_pid=$!
    tray_wait 1
}
# ended: waits up to 10 s for the program to end; fails on a nonzero exit status (a crash).
ended() {
    local status=0
    wait_until "$1: the program is still running" eval "! kill -0 $tavimoro_pid 2>/dev/null"
    wait "$tavimoro_pid" || status=$?
    [ "$status" = 0 ] || fail "$1: the program ended with status $status"
}
# icon_click BUTTON [REPEAT]: a click on the tray icon's centre.
icon_click() {
    local x y
    read -r x y <<<"$(tray_icon_centre)"
    click_at "$x" "$y" --repeat "${2:-1}" --delay 90 "$1"
}
# popup KEY...: opens the pop-up menu with a right press on the icon and types KEY... into it.
popup() {
    icon_click 3
    drv input menu "$@" || fail "could not type [$*] into the pop-up menu"
    drv nomenu 10 || fail "the pop-up menu stayed open after [$*]"
}
# system_menu KEY...: Alt+Space on the drive window, then KEY... into the system menu. Our items come
# last, below Wine's own (which hold the mnemonics A, S and X as well): End, Up and Enter reach them.
system_menu() {
    drv input window alt+space || fail "could not press Alt+Space"
    drv input menu "$@" || fail "could not type [$*] into the system menu"
    drv nomenu 10 || fail "the system menu stayed open after [$*]"
}
# dialog CAPTION: waits for the program's dialog with that caption; its dump is in $WORK/dialog.txt.
dialog() {
    drv dialog "$1" 10 >"$WORK/dialog.txt" || {
        cat "$WORK/dialog.txt" >&2
        fail "no dialog [$1]"
    }
}
dialog_has() { grep -q -- "$1" "$WORK/dialog.txt" || fail "the dialog lacks [$1]: $(cat "$WORK/dialog.txt")"; }
dialog_closed() { drv nodialog 10 || fail "the dialog did not close ($1)"; }
# shot NAME X Y W H: a screenshot of that part of the screen, in the artifacts.
shot() {
    import -window root "$WORK/screen.png"
    convert "$WORK/screen.png" -crop "$4x$5+$2+$3" +repage "$ARTIFACT_DIR/screenshot-wine-$1.png"
    echo "screenshot: $ARTIFACT_DIR/screenshot-wine-$1.png"
}
# shot_window NAME TITLE: a screenshot of the top-level window with that title, with a margin.
shot_window() {
    local geometry w h x y
    geometry=$(grep -m1 "\"$2\":" <<<"$(xwininfo -root -tree)" |
        sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*$/\1 \2 \3 \4/')
    read -r w h x y <<<"$geometry"
    [ -n "${y:-}" ] || fail "no window [$2] on the screen"
    sleep 0.5 # lets it finish painting
    shot "$1" $((x - 6)) $((y - 6)) $((w + 12)) $((h + 12))
}

step "a resident start: only the icon in the tray, no window"
printf '[Mode]\r\nstandby=True\r\nStartMode=True\r\n[CD]\r\nDrive_M=True\r\nDrive_N=True\r\n' >"$INI"
start
expect 'window visible=0' 'button 2 visible=1 enabled=1'
[ -z "$(xdotool search --onlyvisible --name '^(tavimoro|TVM)$' 2>/dev/null)" ] ||
    fail "a window is on the screen at a resident start"

step "a second start ends and brings the first's hidden window onto the screen, in front"
timeout 30 wine 'C:\tavi\tavimoro.exe' >>"$WORK/tavimoro.log" 2>&1 || fail "the second start ended with status $?"
wait_until "the second start did not show the first's window" \
    xdotool search --onlyvisible --name '^(tavimoro|TVM)$' >/dev/null
expect 'window visible=1' 'foreground=1'
drv close
expect 'window visible=0'

step "a double click on the icon shows the window; the close box only hides it"
icon_click 1 2
expect 'window visible=1'
drv close
expect 'window visible=0'
kill -0 "$tavimoro_pid" || fail "closing the window ended the resident program"
[ "$(tray_icons)" = 1 ] || fail "closing the window took the icon away"

step "the pop-up menu on a right press: a disc's item launches like its button"
icon_click 3
read -r mx my _ mh <<<"$(drv menu 10 | sed -E 's/.*rect=([0-9]+),([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4/')"
[ -n "${mh:-}" ] || fail "no pop-up menu on a right press of the icon"
sleep 0.3
# The menu as it opens at the icon, below the tray.
shot menu $((mx - 8)) 0 $((1024 - mx + 8)) $((my + mh + 8))
drv input menu down return # the first item: M:'s disc
drv nomenu 10 || fail "the pop-up menu stayed open"
wait_until "the menu's drive item did not start M:'s program" record_ready "$WORK/discs/one/record.txt"
args=$(record_field "$WORK/discs/one/record.txt" args)
cwd=$(record_field "$WORK/discs/one/record.txt" cwd)
[ "$args" = /one ] && [ "${cwd%\\}" = 'M:' ] || fail "M:'s program got [$args] in [$cwd]"
# One second after the launch the launch files go; resident, the program stays. (The next step's menu
# shows the program outlived that second.)
wait_until -t 5 "the launch shortcut was not removed" test ! -e "$C/tavi/autorun.lnk"
kill -0 "$tavimoro_pid" || fail "a launch ended the resident program"
[ "$(tray_icons)" = 1 ] || fail "a launch took the icon away"

step "開く(&O) shows the window"
popup o
expect 'window visible=1'

step "the about box from the pop-up menu"
popup a
dialog 'ﾊﾞｰｼﾞｮﾝ情報'
dialog_has 'client=362,143'
dialog_has 'kind=label rect=120,16,233,25 .* text=Tavimoro$'
dialog_has 'kind=label rect=120,40,233,17 .* text=Version 1.01$'
dialog_has 'kind=image rect=8,24,96,96'
expect 'enabled=0 foreground=0' # the drive window takes no input meanwhile
shot_window about 'ﾊﾞｰｼﾞｮﾝ情報'
drv closedialog
dialog_closed "the about box's close box"
expect 'enabled=1'

step "the help text from the pop-up menu"
popup h
help=$(drv msgbox '使い方' 10) || fail "no message box titled 使い方"
[[ $help == *'Tavimoroの使い方||'*'アルファベットのキーでドライブの登録と削除行います。||'*'以上' ]] ||
    fail "the help text reads [$help]"
drv msgboxok '使い方'

step "the settings dialog from the pop-up menu: Enter right away is OK, which writes [Mode] in order"
# Without [Mode] in the file, OK writes the six keys anew, in its own order.
tr -d '\r' <"$INI" | awk '/^\[/ {skip = ($0 == "[Mode]")} !skip' | sed 's/$/\r/' >"$WORK/ini" && cp "$WORK/ini" "$INI"
popup s
dialog '設定'
dialog_has 'client=369,282'
dialog_has 'control 109 kind=button .* focus=1 text=OK$'
drv input dialog return
dialog_closed "Enter on OK"
want='WindowTop=False VolumeName=True standby=True AutoOpen=False AutoShortcut=False StartMode=True'
[ "$(mode_section)" = "$want" ] || fail "[Mode] holds [$(mode_section)], expected [$want]"

step "the about box, the help text and the settings dialog from the system menu (Alt+Space)"
expect 'window visible=1'
system_menu end up up up return
dialog 'ﾊﾞｰｼﾞｮﾝ情報'
dialog_has 'text=Version 1.01$'
drv closedialog
dialog_closed "the about box's close box"
system_menu end up up return
drv msgbox '使い方' 10 >/dev/null || fail "no help text from the system menu"
drv msgboxok '使い方'
placement=$(field "$(drv dump | grep '^placement ')" rect)
system_menu end up return
dialog '設定'
shot_window settings '設定'
drv hover 105 # chk_AutoShortcut
tip=$(drv tooltip 10) || fail "no tooltip over a check box"
[ "$tip" = 'tooltip text=自動実行可能なドライブをスタートメニューに自動的に登録します' ] || fail "the tooltip reads [$tip]"

step "the settings dialog by keys: Tab follows the tab indexes, Esc and Enter on a box do nothing"
# From OK: Cancel, then the display frame's lower box (tab index 3), then its upper one.
drv input dialog tab tab tab escape return space
dialog '設定'
dialog_has 'control 101 kind=checkbox .* checked=1 enabled=1 focus=1 '

step "keep-on-top from the settings dialog: WS_EX_TOPMOST, the placement unchanged"
drv press 109 # OK
dialog_closed "OK"
expect "placement rect=$placement topmost=1"
[ "$(ini_value WindowTop)" = True ] || fail "WindowTop was not written"

step "the close box of the settings dialog changes nothing; the volume names off make the window 49 px wide"
system_menu end up return
dialog '設定'
drv press 104 # chk_AutoOpen
drv closedialog
dialog_closed "the close box"
[ "$(ini_value AutoOpen)" = False ] || fail "the settings dialog's close box wrote AutoOpen"
system_menu end up return
dialog '設定'
drv press 102 # chk_VolumeName
drv press 109
dialog_closed "OK"
expect 'client=49,98 title=TVM'

step "keys: Alt+letter and a held key toggle once, Tab moves the focus, space on a button only rebuilds"
drv input window alt+p
synced
[ "$(ini_value Drive_P)" = True ] || fail "Alt+P toggled drive P [$(ini_value Drive_P)], not exactly once"
drv input window hold6:q # five of the six key-down messages are repeats
synced
[ "$(ini_value Drive_Q)" = True ] || fail "a held Q toggled drive Q [$(ini_value Drive_Q)], not exactly once"
expect 'drive 4 visible=1'
drv input window tab
expect 'button 1 visible=1 enabled=1 icon=0 rect=0,0,49,49 focus=1'
drv input window tab
expect 'button 2 visible=1 enabled=1 icon=0 rect=0,49,49,49 focus=1'
drv input window shift+tab
expect 'button 1 visible=1 enabled=1 icon=0 rect=0,0,49,49 focus=1'
# The rows are rebuilt on the Alt key and on the space bar, the focused button with them.
drv input window alt+space
drv input menu end up up return || fail "no system menu on Alt+Space with the focus on a button"
drv msgbox '使い方' 10 >/dev/null || fail "no help text from the system menu opened on a button"
drv msgboxok '使い方'
expect 'button 1 visible=1 enabled=1 icon=0 rect=0,0,49,49 focus=1'
rm -f "$WORK/discs/one/record.txt"
before=$(button_handle 1)
drv input window space
rebuilt "$before" "space on a button"
synced # the key's release too
expect 'window visible=1'
[ ! -e "$C/tavi/autorun.lnk" ] && [ ! -e "$WORK/discs/one/record.txt" ] || fail "space on a button launched"
drv input window p q
synced
[ "$(ini_value Drive_P)$(ini_value Drive_Q)" = FalseFalse ] || fail "P and Q did not toggle back"

step "the system menu's own close item hides the window; keep-on-top off leaves it hidden and inactive"
system_menu c # 閉じる(C), the one item with that letter
expect 'window visible=0'
popup s
dialog '設定'
dialog_has 'control 101 kind=checkbox .* checked=1'
drv press 101
drv press 109
dialog_closed "OK"
expect 'topmost=0'
expect 'window visible=0'
[[ $(drv dump | grep '^placement ') == *'foreground=0' ]] || fail "the hidden window was activated"

step "a new taskbar gets the icon back"
drv untray || fail "could not take the icon away"
tray_wait 0
drv taskbarcreated
tray_wait 1

step "終了(&X) from the pop-up menu ends the program; the file still says resident"
popup x
ended "終了(&X) from the pop-up menu"
tray_wait 0
[ "$(ini_value standby)" = True ] || fail "exit changed standby in the file: $(mode_section)"

step "the next start is resident again; 終了(&X) from the system menu ends it as well"
start
expect 'window visible=0'
icon_click 1 2
expect 'window visible=1'
system_menu end return
ended "終了(&X) from the system menu"
tray_wait 0

step "the end of the session ends the resident program through its unload: its shortcuts go with it"
sed -i 's/^AutoShortcut=False/AutoShortcut=True/' "$INI"
start
start_menu_shortcut() {
    lnk=$(find "$C/users" -path '*Start Menu/(M) DISC_ONE.lnk' -print -quit 2>/dev/null)
    [ -n "$lnk" ]
}
wait_until "no Start-menu shortcut for the disc in M:" start_menu_shortcut
sed -i '/^frm_main_Top=/d' "$INI"
wineboot --end-session >>"$WORK/wineboot.log" 2>&1 || true
ended "the end of the session"
[ ! -e "$lnk" ] || fail "the disc's Start-menu shortcut outlived the session"
grep -q '^frm_main_Top=' "$INI" || fail "the session's end did not save the placement: $(cat "$INI")"
[ "$(ini_value standby)" = True ] || fail "the session's end changed standby in the file: $(mode_section)"
sed -i 's/^AutoShortcut=True/AutoShortcut=False/' "$INI"

step "resident mode off in the settings dialog takes the icon away at once; the close box then ends"
# Every letter registered: 26 rows, a window taller than the screen.
awk '{print} $0 == "[CD]\r" {for (c = 65; c <= 90; c++) printf "Drive_%c=True\r\n", c}' "$INI" >"$WORK/ini"
cp "$WORK/ini" "$INI"
start
icon_click 1 2
expect 'window visible=1 client=49,1274'
popup s
dialog '設定'
drv press 107 # chk_standbyMode
dialog '設定'
dialog_has 'control 108 kind=checkbox .* enabled=0' # chk_StartMode greyed
drv press 109
dialog_closed "OK"
tray_wait 0
expect 'window visible=1'
[ "$(ini_value standby)" = False ] || fail "standby was not written off"
drv close
ended "the close box without resident mode"
grep -q '^frm_main_Top=' "$INI" || fail "the window's placement was not saved: $(cat "$INI")"

echo "PASS: the resident program under Wine"
