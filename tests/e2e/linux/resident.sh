#!/usr/bin/env bash
# The resident program on Xvfb with a window manager and a real notification area (trayer, an XEmbed
# tray host): the icon alone at a resident start; a double click shows the window and closing only
# hides it; the icon's pop-up menu (a drive item that launches, Open, Settings, About, Help, Exit); the
# same commands from the window's context menu (right button, Shift+F10, the Menu key); the settings
# dialog (Enter right after opening is OK, the six keys in their order, keep-on-top without moving the
# window, resident mode off taking the icon away); keys on the window and its buttons. Then, without
# any tray host, a resident start that waits minimized and says why once, until a tray started later
# takes the icon; and three starts with no drive, the first inside the work area, that keep the saved
# placement. Leaves the pop-up menu, the settings dialog and the about box as
# pictures in the working folder (and, when asked, in docs/).
set -u

: "${TAVIMORO_E2E:?TAVIMORO_E2E must name the test build of the program}"
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
e2e_require Xvfb openbox trayer xdotool xwininfo xprop import convert
e2e_start_display
e2e_private_user
e2e_machine 2
e2e_program

# ---- Two autorun discs, in D: and E:, so that both drive buttons are enabled and take the focus.
game="$work/discs/game"
e2e_recorder "$game/setup.sh" game
printf '[AutoRun]\r\nopen=setup.sh from-disc\r\n' >"$game/AUTORUN.INF"
tools="$work/discs/tools"
e2e_recorder "$tools/tools.sh" tools
printf '[AutoRun]\r\nopen=tools.sh\r\n' >"$tools/AUTORUN.INF"
printf 'E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=GAME\n' >"$TAVIMORO_TEST_UDEV/b11:0"
printf 'E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=TOOLS\n' >"$TAVIMORO_TEST_UDEV/b11:1"
{
    echo "$e2e_root_mount"
    echo "40 22 11:0 / $game ro,relatime - iso9660 /dev/sr0 ro"
    echo "41 22 11:1 / $tools ro,relatime - iso9660 /dev/sr1 ro"
} >"$TAVIMORO_TEST_MOUNTINFO"
two_drives_sysfs=$TAVIMORO_TEST_SYSFS
menu="$XDG_DATA_HOME/applications"

# ---- The program and what a user sees of it.
# Ends the program if it is still running; the status it ended with.
finish() {
    alive && kill "$program_pid"
    wait "$program_pid" 2>/dev/null
}
# The program ended by itself, and well.
expect_clean_end() { # what
    local status
    wait "$program_pid" 2>/dev/null
    status=$?
    [ "$status" -eq 0 ] || fail "$1: the program ended with status $status"
}
hidden_window() { ! visible_window; }
titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
is_shown() { [ -n "$(titled "$1")" ]; }
is_gone() { [ -z "$(titled "$1")" ]; }
menu_open() { [ -n "$(popup_menu)" ]; }
menu_closed() { [ -z "$(popup_menu)" ]; }
client_of() { geometry "$1" | awk '{print $3 "x" $4}'; }
# Without an id, xprop would wait for a click on a window: it asks only a window there is.
net_state() {
    local id
    id=$(window_id)
    [ -n "$id" ] && xprop -id "$id" _NET_WM_STATE 2>/dev/null
}
above() { net_state | grep -q _NET_WM_STATE_ABOVE; }
not_above() { ! above; }
# The keys of a section, in the file's order.
ini_keys() { awk -v s="[$1]" '/^\[/ {inside = ($0 == s); next} inside && /=/ {sub(/=.*/, ""); print}' "$settings"; }
ran() { [ "$(e2e_run_count)" -ge "$1" ]; }

# ---- The notification area (start_tray, tray_icon and the panel come from lib.bash).
click_icon() { click_window "$(tray_icon)" "$@"; } # xdotool click arguments
# Opens the icon's pop-up menu and chooses with the keys given.
from_icon_menu() { # keys...
    click_icon 3
    keys_to "the icon's pop-up menu" popup_menu "$@" || return 1
    wait_until "the icon's pop-up menu did not close" menu_closed
}
# Opens the window's context menu (the system menu's commands) with the right button on the button of
# row ROW of ROWS, or at the window's centre, or with a key, and chooses with the keys given.
from_window_menu() { # ROW ROWS keys... | --centre keys... | --key KEY keys...
    xdotool windowactivate --sync "$(window_id)" >/dev/null 2>&1
    case $1 in
    --key) press "$2" && shift 2 ;;
    --centre) click_window "$(window_id)" 3 && shift ;;
    *) click_button "$1" "$2" 3 && shift 2 ;;
    esac
    keys_to "the window's context menu" popup_menu "$@" || return 1
    wait_until "the window's context menu did not close" menu_closed
}
dialog_keys() { # title, keys...
    local title=$1
    shift
    keys_to "the window $title" "titled $title" "$@"
}
# The settings dialog, opened by `how` (a function and its arguments), closed with the keys given (one
# string, a key a word); the focus goes by tab index: OK, キャンセル, then each frame's lower box before
# its upper one.
settings_dialog() { # keys, how...
    local keys
    read -ra keys <<<"$1"
    shift
    "$@" s || return 1
    wait_until "the settings dialog did not open" is_shown 設定 || return 1
    dialog_keys 設定 "${keys[@]}"
    wait_until "the settings dialog did not close" is_gone 設定
}
tabs() { # count [shift]: that many Tab presses
    local i
    for ((i = 0; i < $1; i++)); do printf '%s ' "${2:+shift+}Tab"; done
}
# Flips the check box at focus position N (1 キャンセル, 2 VolumeName, 3 WindowTop, 4 AutoOpen,
# 5 AutoShortcut, 6 standby, 7 StartMode) and goes back to OK to press it.
flip_and_ok() { # position
    # shellcheck disable=SC2046 # one key a word
    echo $(tabs "$1") space $(tabs "$1" back) Return
}

# ================================================================================================
# Run one: resident, started hidden, with the icon in trayer's panel.
start_tray
printf '[Mode]\nstandby=True\nStartMode=True\nAutoShortcut=True\n[CD]\nDrive_D=True\nDrive_E=True\n' >"$settings"
printf '[Status]\nRefreshTimer=300\nChangeTimer=300\n' >>"$settings"
e2e_start
wait_until "resident: the icon did not appear in the panel" tray_icon >/dev/null
wait_until "resident: the discs' Start-menu entries were not written" test -f "$menu/(E) TOOLS.desktop"
visible_window && fail "resident: started hidden, yet the window is shown"

# The pop-up menu on the icon's right press; its first item is D:'s disc, which launches like the button.
click_icon 3
wait_until "the icon's pop-up menu did not open" menu_open
picture menu.png screenshot-linux-menu.png "$(popup_menu)" "$(panel)"
keys_to "the icon's pop-up menu" popup_menu Down Return
wait_until "the pop-up menu's drive item did not start the disc's program" ran 1
[ "$(e2e_runs)" = game ] || fail "the drive item started [$(e2e_runs)], not D:'s program"
[ "$(cat "$RECORD_DIR/game.args" 2>/dev/null)" = from-disc ] || fail "the drive item's arguments"
[ "$(cat "$RECORD_DIR/game.cwd" 2>/dev/null)" = "$game" ] || fail "the drive item's working folder"

# Settings from the pop-up menu while the window is hidden: keep-on-top on; the window stays hidden.
settings_dialog "$(flip_and_ok 3)" from_icon_menu
expect_ini Mode WindowTop True
hidden_window || fail "keep-on-top showed the hidden window"

# A double click shows the window, in front of the others.
click_icon --repeat 2 --delay 90 1
wait_until "a double click on the icon did not show the window" visible_window
wait_until "the window shown is not kept on top: $(net_state)" above
wait_client "two rows should be 133x98 px" size = 133x98
# Closing it only hides it: the program stays, with its icon.
press alt+F4
wait_until "closing did not hide the resident window" hidden_window
alive || fail "closing the resident window ended the program"
tray_icon >/dev/null || fail "closing the resident window took the icon away"
# A second start ends, and the hidden window comes forward, active.
"$work/bin/tavimoro" >>"$work/program.log" 2>&1 || fail "the second start ended with status $?"
wait_until "a second start did not show the window" visible_window
wait_until "a second start did not make the window active" eval '[ "$(xdotool getactivewindow 2>/dev/null)" = "$(window_id)" ]'
press alt+F4
wait_until "closing did not hide the window again" hidden_window

# Open from the pop-up menu.
from_icon_menu o
wait_until "Open did not show the window" visible_window
before=$(geometry "$(window_id)")

# The about box, from the pop-up menu and from the window's context menu.
from_icon_menu a
wait_until "About from the pop-up menu did not open the about box" is_shown ﾊﾞｰｼﾞｮﾝ情報
about=$(titled ﾊﾞｰｼﾞｮﾝ情報)
[ "$(client_of "$about")" = 362x143 ] || fail "the about box is $(client_of "$about"), not 362x143"
if [ -z "$about" ] || ! xprop -id "$about" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL; then
    fail "the about box is not modal"
fi
picture about.png screenshot-linux-about.png "$about"
# Esc and Enter leave it open: the close box after them closes it, not the window behind it.
dialog_keys ﾊﾞｰｼﾞｮﾝ情報 Escape Return alt+F4
wait_until "the about box's close box did not close it" is_gone ﾊﾞｰｼﾞｮﾝ情報
visible_window || fail "Esc or Enter closed the about box (the close box then hid the window)"
from_window_menu 1 2 a
wait_until "About from the window's menu did not open the about box" is_shown ﾊﾞｰｼﾞｮﾝ情報
dialog_keys ﾊﾞｰｼﾞｮﾝ情報 alt+F4
wait_until "the about box did not close" is_gone ﾊﾞｰｼﾞｮﾝ情報

# Help, from both menus: a message box titled 使い方.
from_icon_menu h
wait_until "Help from the pop-up menu did not open the help box" is_shown 使い方
dialog_keys 使い方 Return
wait_until "the help box did not close" is_gone 使い方
from_window_menu --key shift+F10 h
wait_until "Help from the window's menu (Shift+F10) did not open the help box" is_shown 使い方
dialog_keys 使い方 Return
wait_until "the help box did not close" is_gone 使い方

# Settings from the window's context menu (right button on D:'s button): keep-on-top off, then on again
# from the Menu key; the window stays where it is, at its size. Esc first does nothing: the keys after
# it still reach the dialog.
settings_dialog "Escape $(flip_and_ok 3)" from_window_menu 1 2
expect_ini Mode WindowTop False
wait_until "keep-on-top off: the window is still kept on top" not_above
[ "$(geometry "$(window_id)")" = "$before" ] || fail "keep-on-top off moved the window: $(geometry "$(window_id)")"
settings_dialog "$(flip_and_ok 3)" from_window_menu --key Menu
expect_ini Mode WindowTop True
wait_until "keep-on-top on: the window is not kept on top: $(net_state)" above
[ "$(geometry "$(window_id)")" = "$before" ] || fail "keep-on-top on moved the window: $(geometry "$(window_id)")"
# The dialog as it is now, for the picture; キャンセル (the second in the focus order) writes nothing.
from_window_menu 2 2 s
wait_until "the settings dialog did not open" is_shown 設定
dialog=$(titled 設定)
picture settings.png screenshot-linux-settings.png "$dialog"
[ "$(client_of "$dialog")" = 369x282 ] || fail "the settings dialog is $(client_of "$dialog"), not 369x282"
# _MOTIF_WM_HINTS: flags, functions (minimize 0x8, maximize 0x10), decorations, ...
functions=$([ -n "$dialog" ] && xprop -id "$dialog" _MOTIF_WM_HINTS | sed -n 's/.*= *[^,]*, *\([^,]*\),.*/\1/p')
if [ -z "$functions" ] || (((functions & 0x18) != 0)); then
    fail "the dialog asks for minimize or maximize: $functions"
fi
dialog_keys 設定 Tab Tab space shift+Tab Return
wait_until "キャンセル did not close the settings dialog" is_gone 設定
expect_ini Mode VolumeName True

# ---- Keys. Each letter toggles its drive's registration once; every other key rebuilds the rows.
# A rebuild of the rows writes each disc's Start-menu entry anew.
entry_stamp() { e2e_stamp "$menu/(D) GAME.desktop"; }
rebuilt_since() { e2e_restamped "$menu/(D) GAME.desktop" "$1"; }
press alt+g
wait_until "Alt+G did not register G" ini_is CD Drive_G True
wait_client "three rows should be 147 px high" height = 147
# A held key: repeats while it is down must not toggle it again. Each toggle writes the settings file
# once: from the press of H to the press of G after it, the file is written twice.
"${FILE_EVENTS:?}" write "$settings" 0 60 >"$work/writes" &
watcher=$!
pids+=("$watcher")
wait_until "the settings file is not watched" grep -q watching "$work/writes"
press down:h
wait_until "a held H did not register H" ini_is CD Drive_H True
sleep 1.2 # held as long as a user holds a key that repeats
press up:h
# G comes after every repeat of H: once it is handled, so are they.
press g
wait_until "G was not unregistered" ini_is CD Drive_G False
kill -TERM "$watcher"
wait "$watcher"
[ "$(tail -n 1 "$work/writes")" = 2 ] ||
    fail "a held H toggled H again: $(tail -n 1 "$work/writes") writes of the settings for one H and one G"
expect_ini CD Drive_H True
press h
wait_until "G and H were not unregistered" eval 'ini_is CD Drive_G False && ini_is CD Drive_H False'
wait_client "two rows should be 133x98 px" size = 133x98

# Tab moves the focus between the two buttons and reaches no key handler: nothing is rebuilt.
buttons() { import -window "$(window_id)" -crop 49x98+0+0 +repage png:- 2>/dev/null | md5sum; }
# The buttons as drawn once they have stopped changing (a repaint may be caught half done).
settled() {
    local a b
    a=$(buttons)
    for _ in $(seq 1 20); do
        sleep 0.1
        b=$(buttons)
        [ "$a" = "$b" ] && break
        a=$b
    done
    echo "$b"
}
buttons_differ() { [ "$(settled)" != "$1" ]; }
buttons_are() { [ "$(settled)" = "$1" ]; }
# The pointer leaves the window: a button under it is drawn hovered, and the rows a key makes anew are not
# until it moves again.
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
xdotool mousemove --sync $((screen_w - 1)) $((screen_h - 1))
stamp=$(entry_stamp)
unfocused=$(settled)
press Tab
wait_until "Tab did not put the focus on a button" buttons_differ "$unfocused"
one=$(settled)
press Tab
wait_until "Tab did not move the focus to the other button" buttons_differ "$one"
[ "$(entry_stamp)" = "$stamp" ] || fail "Tab rebuilt the rows"
# Shift itself is a key that rebuilds the rows; the focus stays on its row, and Tab with it goes back.
press shift+Tab
wait_until "Shift+Tab did not move the focus back" buttons_are "$one"
stamp=$(entry_stamp)
# Space on the focused button rebuilds the rows like any other key and does not click the button: a
# click afterwards is the only launch.
runs_before=$(e2e_run_count)
press space
wait_until "Space did not rebuild the rows" rebuilt_since "$stamp"
click_button 1 2 1
wait_until "a click on D:'s button did not launch" ran $((runs_before + 1))
[ "$(e2e_run_count)" -eq $((runs_before + 1)) ] || fail "Space on a button launched its program"
wait_until "the launch did not hide the window" hidden_window

# Resident mode off in the dialog: the icon leaves the panel at once.
from_icon_menu o
wait_until "Open did not show the window" visible_window
settings_dialog "$(flip_and_ok 6)" from_window_menu 2 2
expect_ini Mode standby False
wait_until "resident mode off: the icon stayed in the panel" no_tray_icon
# Not resident, closing the window ends the program.
press alt+F4
wait_until "not resident: closing did not end the program" ended
expect_clean_end "closing the window"

# ================================================================================================
# Run two: Exit ends the resident program; the file still says it is resident.
printf '[Mode]\nstandby=True\nStartMode=True\n' >"$settings"
e2e_start
wait_until "run two: the icon did not appear" tray_icon >/dev/null
from_icon_menu x
wait_until "Exit did not end the program" ended
expect_clean_end Exit
expect_ini Mode standby True
wait_until "the ended program's icon stayed in the panel" no_tray_icon
message="通知領域が見つかりません。現れしだい、アイコンをそこに置きます。"
! grep -q "$message" "$work/program.log" || fail "with a tray host, the program said there is none"

# ================================================================================================
# Run three: no notification area. A resident start waits minimized, reachable, and says why once.
kill "$trayer_pid"
wait "$trayer_pid" 2>/dev/null
wait_until "trayer's panel stayed" no_panel
printf '[Mode]\nstandby=True\nStartMode=True\n' >"$settings"
e2e_start
wid=""
minimized() {
    wid=$(xdotool search --name '^tavimoro$' 2>/dev/null | while read -r w; do
        xprop -id "$w" WM_STATE 2>/dev/null | grep -q Iconic && echo "$w"
    done | head -n 1)
    [ -n "$wid" ]
}
wait_until "without a tray host the resident window did not start minimized" minimized
if [ -z "$wid" ] || ! xprop -id "$wid" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN; then
    fail "the minimized window is not marked hidden"
fi
# Brought back, its settings applied again (OK): the icon is added again, and the message is not.
xdotool windowactivate --sync "$wid" >/dev/null 2>&1
wait_until "the minimized window could not be brought back" visible_window
# From the keyboard: the window manager may still be moving the window it restored.
settings_dialog Return from_window_menu --key Menu
press alt+F4
wait_until "closing the resident window without a tray host did not minimize it" minimized
alive || fail "closing the resident window without a tray host ended the program"
[ "$(grep -c "^$message\$" "$work/program.log")" -eq 1 ] ||
    fail "the missing notification area was not reported exactly once: $(cat "$work/program.log")"
# A tray that starts after the program takes its icon, and the window that waited goes with no
# taskbar entry left behind.
start_tray
wait_until "a tray started later did not dock the icon" tray_icon >/dev/null
in_client_list() { xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wid")"; }
wait_until "the waiting window stayed once the tray docked the icon" eval '! in_client_list'
hidden_window || fail "the waiting window is still shown"
finish

# ================================================================================================
# Runs four to six: no CD-ROM drive, not resident. The placement saved at the end is the one restored
# at the start, every time; the first run's settings dialog writes [Mode] in its order.
empty="$work/machine-without-drives"
mkdir -p "$empty"
export TAVIMORO_TEST_SYSFS=$empty
printf '[Status]\nRefreshTimer=1000\n' >"$settings"
placements=()
# The empty window says what to do: dark text across most of it, touching none of its edges (not cut).
whole_hint() {
    local w h box bw bh bx by
    import -window "$(window_id)" "$work/empty.png" 2>/dev/null && read -r _ _ w h < <(geometry "$(window_id)") &&
        box=$(convert "$work/empty.png" -colorspace gray -threshold 50% -format %@ info:) &&
        read -r bw bh bx by <<<"${box//[x+]/ }" && ((bw > w / 2 && bx > 0 && by > 0 && bx + bw < w && by + bh < h))
}
for n in 1 2 3; do
    e2e_start
    wait_until "start $n: the window is not shown" visible_window
    if [ "$n" = 1 ]; then
        # Nothing saved: the window's frame starts below trayer's panel, in the work area.
        read -r _ top _ < <(geometry "$(window_id)")
        frame_top=$(xprop -id "$(window_id)" _NET_FRAME_EXTENTS | awk -F', *' '{print $3}')
        area_top=$(xprop -root _NET_WORKAREA | awk -F', *' '{print $2}')
        [ "$((top - frame_top))" -ge "$area_top" ] && [ "$area_top" -gt 0 ] ||
            fail "the first placement (frame top $((top - frame_top))) is not in the work area (top $area_top)"
        wait_until "the empty window shows no whole line of text" whole_hint
        settings_dialog Return from_window_menu --centre
        [ "$(ini_keys Mode | tr '\n' ' ')" = "WindowTop VolumeName standby AutoOpen AutoShortcut StartMode " ] ||
            fail "OK wrote [Mode] as: $(ini_keys Mode | tr '\n' ' ')"
    fi
    press alt+F4
    wait_until "start $n: closing did not end the program" ended
    expect_clean_end "start $n"
    placements+=("$(ini_value Window frm_main_Top) $(ini_value Window frm_main_Left) $(ini_value Window frm_main_Width) $(ini_value Window frm_main_Height)")
done
if [ "${placements[0]}" != "${placements[1]}" ] || [ "${placements[1]}" != "${placements[2]}" ]; then
    fail "the saved placement changed over three starts: ${placements[*]}"
fi
# The client area of the design (720 twips high) and the window manager's frame around it.
read -r _ _ _ height <<<"${placements[2]}"
[ "${height%%.*}" -gt 720 ] 2>/dev/null || fail "the saved height $height does not count the frame"
export TAVIMORO_TEST_SYSFS=$two_drives_sysfs

e2e_finish resident "$work/program.log"
