#!/usr/bin/env bash
# The drive window of the real program on Xvfb with a window manager, over a simulated machine (fake
# sysfs, udev database and mount table; disc folders that the test swaps while the program runs):
# first-run registration, discs inserted, removed and swapped, Start-menu entries with the disc's
# icon, a disc image attached and detached, letter keys, a click that launches the disc's program, the
# resident and the ending program; a settings file that refuses writes; eject from a button's menu.
# Leaves window-linux.png (three rows) in the working folder and, when asked, docs/screenshot-linux.png.
set -u

: "${TAVIMORO_E2E:?TAVIMORO_E2E must name the test build of the program}"
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
e2e_require Xvfb openbox xdotool xwininfo xprop import convert
e2e_start_display
e2e_private_user
menu="$XDG_DATA_HOME/applications"
e2e_program

# ---- The simulated machine: three CD-ROM drives sr0..sr2 (D:, E:, F:) and a hard disk.
e2e_machine 3
root_mount=$e2e_root_mount

# The mount table and the udev database change together, each file replaced whole, as the kernel and
# udev present them.
declare -A mounted=() imaged=()
write_mounts() {
    {
        echo "$root_mount"
        for n in "${!mounted[@]}"; do
            echo "$((40 + n)) 22 11:$n / ${mounted[$n]} ro,relatime - iso9660 /dev/sr$n ro"
        done
        for n in "${!imaged[@]}"; do
            echo "$((60 + n)) 22 7:$n / ${imaged[$n]} ro,relatime - iso9660 /dev/loop$n ro"
        done
    } >"$TAVIMORO_TEST_MOUNTINFO.new"
    mv "$TAVIMORO_TEST_MOUNTINFO.new" "$TAVIMORO_TEST_MOUNTINFO"
}
insert() { # drive number, disc folder, label (UTF-8; a blank is written as udev escapes it)
    printf 'E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=%s\n' "${3// /\\x20}" >"$TAVIMORO_TEST_UDEV/b11:$1.new"
    mv "$TAVIMORO_TEST_UDEV/b11:$1.new" "$TAVIMORO_TEST_UDEV/b11:$1"
    mounted[$1]=$(printf '%s' "$2" | sed 's/ /\\040/g')
    write_mounts
}
# A disc image attached as loop device N and mounted, as a desktop's image mounter leaves it.
attach_image() { # loop number, disc folder, label without blanks
    mkdir -p "$TAVIMORO_TEST_SYSFS/loop$1/loop"
    echo "7:$1" >"$TAVIMORO_TEST_SYSFS/loop$1/dev"
    echo "$work/images/$3.iso" >"$TAVIMORO_TEST_SYSFS/loop$1/loop/backing_file"
    printf 'E:ID_FS_TYPE=iso9660\nE:ID_FS_LABEL_ENC=%s\n' "$3" >"$TAVIMORO_TEST_UDEV/b7:$1.new"
    mv "$TAVIMORO_TEST_UDEV/b7:$1.new" "$TAVIMORO_TEST_UDEV/b7:$1"
    imaged[$1]=$(printf '%s' "$2" | sed 's/ /\\040/g')
    write_mounts
}
detach_image() { # loop number
    unset "imaged[$1]"
    write_mounts
    rm -rf "$TAVIMORO_TEST_SYSFS/loop$1/loop" "$TAVIMORO_TEST_UDEV/b7:$1"
}
eject() { # drive number
    unset "mounted[$1]"
    write_mounts
    printf 'E:ID_CDROM_MEDIA=0\n' >"$TAVIMORO_TEST_UDEV/b11:$1"
}

# ---- The discs. The program records its arguments and working folder, then signals the test.
recorder() { e2e_signalling_recorder "$@"; }
# Disc one: a Japanese label, an .ico icon in a sub-folder, names in other letter case than its
# AUTORUN.INF, a blank in its mount point.
disc1="$work/discs/disc one"
recorder "$disc1/Bin/Record.sh"
mkdir -p "$disc1/Icons"
convert -size 32x32 xc:none -fill '#2b6cd4' -draw 'circle 15.5,15.5 15.5,1' -fill '#e8eef8' \
    -draw 'circle 15.5,15.5 15.5,11' -fill '#2b6cd4' -draw 'circle 15.5,15.5 15.5,13.5' "$disc1/Icons/disc.ico"
printf '[AutoRun]\r\nopen=BIN\\RECORD.SH first "second arg"\r\nicon=icons\\DISC.ICO\r\n' >"$disc1/AUTORUN.INF"
label1="ゲームディスク 第一巻"
# Disc two: the icon inside a Windows program (built with mingw-w64 when it is there).
disc2="$work/discs/disc2"
recorder "$disc2/record.sh"
printf '[AutoRun]\r\nopen=record.sh two\r\nicon=SETUP.EXE,0\r\n' >"$disc2/AUTORUN.INF"
if command -v x86_64-w64-mingw32-windres >/dev/null && command -v x86_64-w64-mingw32-gcc >/dev/null; then
    convert -size 32x32 xc:'#1d8f4e' -fill '#f5d90a' -draw 'polygon 16,4 28,27 4,27' "$work/setup.ico"
    printf '1 ICON "%s"\n' "$work/setup.ico" >"$work/setup.rc"
    printf 'int main(void) { return 0; }\n' >"$work/setup.c"
    x86_64-w64-mingw32-windres "$work/setup.rc" -O coff -o "$work/setup.res.o" &&
        x86_64-w64-mingw32-gcc -s -o "$disc2/SETUP.EXE" "$work/setup.c" "$work/setup.res.o" ||
        fail "could not build the disc's Windows program"
else
    cp "$disc1/Icons/disc.ico" "$disc2/SETUP.ICO"
    printf '[AutoRun]\r\nopen=record.sh two\r\nicon=SETUP.ICO\r\n' >"$disc2/AUTORUN.INF"
fi
label2="DISC 2"
# Disc three: no AUTORUN.INF.
disc3="$work/discs/data"
mkdir -p "$disc3"
echo data >"$disc3/readme.txt"

# ---- Helpers over the running program.
has_entry() { [ -f "$menu/($1) $2.desktop" ]; }
no_entry() { ! ls "$menu"/"($1)"*.desktop >/dev/null 2>&1; }


# ================================================================================================
# Run one: resident (standby) and started hidden, opening on a new disc, with Start-menu entries.
printf '[Mode]\nstandby=True\nStartMode=True\nAutoOpen=True\nAutoShortcut=True\n' >"$settings"
printf '[Status]\nRefreshTimer=100\nChangeTimer=150\n' >>"$settings"
e2e_start
wait_until "first run: drives were not registered" grep -q '^Drive_F=True' "$settings"
for letter in D E F; do expect_ini CD "Drive_$letter" True; done
[ -z "$(ini_value CD Drive_A)" ] || fail "a drive that is no CD-ROM drive was registered"
e2e_polls 2
visible_window && fail "started resident, yet the window is shown"

# A disc without AUTORUN.INF neither opens the window nor gets an entry. (While it is in a drive, it
# counts as a change at every poll; being in the last drive, it has the last word on whether a poll
# saw a new autorun disc, so it leaves before the next one comes.)
insert 2 "$disc3" "DATA"
e2e_polls 2
visible_window && fail "a disc without AUTORUN.INF opened the window"
no_entry F || fail "a disc without AUTORUN.INF got a Start-menu entry"
eject 2
e2e_polls 2

# An autorun disc opens the window, gets its entry with the disc's icon as a PNG.
insert 0 "$disc1" "$label1"
wait_until "the autorun disc did not open the window" visible_window
wait_until "no Start-menu entry for disc one" has_entry D "$label1"
entry1="$menu/(D) $label1.desktop"
icon=$(sed -n 's/^Icon=//p' "$entry1")
case "$icon" in
"$XDG_CACHE_HOME/tavimoro/"*.png) ;;
*) fail "entry icon is '$icon', not a PNG in the cache folder" ;;
esac
[ "$(head -c 8 "$icon" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
    fail "the entry's icon is not a PNG file"
command -v desktop-file-validate >/dev/null && { desktop-file-validate "$entry1" || fail "entry does not validate"; }
grep -qx "Path=$disc1/\\?" "$entry1" || fail "entry's working folder: $(grep ^Path= "$entry1")"
# Three rows of 735 twips are 147 pixels; the long label widens the window past its 1995 twips.
wait_client "three rows should be 147 px high" height = 147
wait_client "the long label did not widen the window" width -gt 133

# Disc removed: the entry goes.
eject 0
wait_until "the entry stayed after the disc was removed" no_entry D
# Two discs swapped between polls: the first disc's entry goes, the second's comes.
insert 0 "$disc1" "$label1"
wait_until "disc one again: no entry" has_entry D "$label1"
insert 0 "$disc2" "$label2"
wait_until "after the swap, disc two has no entry" has_entry D "$label2"
[ ! -e "$entry1" ] || fail "after the swap, disc one's entry stayed"
# For the picture of three rows: the data disc in D:, disc one in E:, disc two in F:. They arrive in one
# poll, and the last drive's new autorun disc makes the window widen to the long label again.
insert 0 "$disc3" "DATA"
insert 1 "$disc1" "$label1"
insert 2 "$disc2" "$label2"
wait_until "disc one in E: has no entry" has_entry E "$label1"
wait_until "disc two in F: has no entry" has_entry F "$label2"
no_entry D || fail "the data disc in D: kept an entry"
wait_client "the window did not widen to the long label" width -gt 133
sleep 0.3

# The picture: the window with the window manager's frame.
picture window-linux.png screenshot-linux.png "$(window_id)"

# Letter keys, on the focused window: G is added (one press toggles once), Shift does not matter, a
# digit changes no registration.
press g
wait_until "G did not register drive G" grep -q '^Drive_G=True' "$settings"
wait_client "four rows should be 196 px high" height = 196
press shift+g
wait_until "Shift+G did not unregister drive G" grep -q '^Drive_G=False' "$settings"
# A digit rebuilds the rows, which writes disc one's entry anew.
stamp=$(e2e_stamp "$menu/(E) $label1.desktop")
press 1
wait_until "the digit did not rebuild the rows" e2e_restamped "$menu/(E) $label1.desktop" "$stamp"
expect_ini CD Drive_G False
for letter in D E F; do expect_ini CD "Drive_$letter" True; done
# The rows were rebuilt: the records of the old rows removed their entries and the new ones wrote them.
wait_until "after the rebuild disc one has no entry" has_entry E "$label1"

# A disc image attached as a loop device is a drive after the optical ones, G:, once its letter is
# registered: a row with its label and a Start-menu entry. Detached, the entry goes.
attach_image 0 "$disc1" IMAGE_ONE
press g
wait_until "the image in G: has no Start-menu entry" has_entry G IMAGE_ONE
wait_client "the image's row did not come" height = 196
detach_image 0
wait_until "the detached image's entry stayed" no_entry G
press shift+g
wait_until "Shift+G did not unregister the image's drive" grep -q '^Drive_G=False' "$settings"
wait_client "three rows again should be 147 px high" height = 147

# A click on E:'s button launches disc one's program and hides the window; resident, the program stays.
click_button 2 3 1
timeout 20 cat "$RECORD_DIR/ran" >/dev/null || fail "the click did not start the disc's program"
printf 'first\nsecond arg\n' | cmp -s - "$RECORD_DIR/args" || fail "arguments: $(cat "$RECORD_DIR/args")"
[ "$(cat "$RECORD_DIR/cwd")" = "$disc1" ] || fail "working folder: $(cat "$RECORD_DIR/cwd")"
wait_until "the window stayed open after the click" eval '! visible_window'
wait_until "the launch file was not removed" test ! -e "$XDG_CONFIG_HOME/tavimoro/autorun.desktop"

# Closing the resident window only hides it; the exit comes from outside here. (A poll after the launch
# file went shows that the program outlived the end of the launch.)
eject 2
wait_until "the entry of F: stayed after the disc was removed" no_entry F
alive || fail "with standby on, the program ended after the launch"
insert 2 "$disc2" "$label2"
wait_until "the new disc did not open the window again" visible_window
press alt+F4
wait_until "closing did not hide the window" eval '! visible_window'
e2e_polls 2
alive || fail "with standby on, closing the window ended the program"
kill "$program_pid"
wait "$program_pid" 2>/dev/null

# ================================================================================================
# Run two: not resident. A click launches, and one second later the program ends and saves its place;
# the entries it wrote go with it.
printf '[Mode]\nstandby=False\nAutoShortcut=True\n[Status]\nRefreshTimer=100\nChangeTimer=100\n' >"$settings"
printf '[CD]\nDrive_D=True\n' >>"$settings"
insert 0 "$disc2" "$label2"
e2e_start
wait_until "run two: the window is not shown" visible_window
wait_client "run two: one row should be 49 px high" height = 49
wait_until "run two: no entry for D:" has_entry D "$label2"
before=$(e2e_run_count)
click_button 1 1 1
timeout 20 cat "$RECORD_DIR/ran" >/dev/null || fail "run two: the click did not start the disc's program"
[ "$(e2e_run_count)" -eq $((before + 1)) ] || fail "run two: expected one more run"
[ "$(cat "$RECORD_DIR/args")" = "two" ] || fail "run two: arguments $(cat "$RECORD_DIR/args")"
wait_until "run two: the program did not end after the launch" eval '! alive'
wait "$program_pid"
status=$?
[ "$status" -eq 0 ] || fail "run two: exit status $status"
for key in frm_main_Top frm_main_Left frm_main_Width frm_main_Height; do
    [ -n "$(ini_value Window "$key")" ] || fail "run two: [Window] $key was not saved"
done
# 49 px of client area and the window manager's frame, in twips.
height=$(ini_value Window frm_main_Height)
[ "${height%%.*}" -ge 735 ] 2>/dev/null || fail "run two: saved height $height is less than one row"
no_entry D || fail "run two: the entry outlived the program"
[ ! -e "$XDG_CONFIG_HOME/tavimoro/autorun.desktop" ] || fail "run two: the launch file stayed"

# ================================================================================================
# Run three: a settings file made read-only. The program says so once, at its first write, keeps what the
# user does, and writes it all once the file takes writes again.
printf '[CD]\nDrive_D=True\n' >"$settings"
chmod 444 "$settings"
cp "$settings" "$work/settings.before"
# The message box, titled like the window (xdotool compares titles without letter case), is a dialog.
refusal() {
    local w
    for w in $(xdotool search --onlyvisible --name '^tavimoro$' 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DIALOG && echo "$w" && return
    done
}
e2e_start
keys_to "the refusal's message box" refusal Return
wait_client "read-only: one row should be 49 px high" height = 49
press g
wait_client "read-only: G did not add a row" height = 98
press h
wait_client "read-only: H did not add a row" height = 147
[ -z "$(refusal)" ] || fail "the refusal was told again"
cmp -s "$settings" "$work/settings.before" || fail "the read-only settings file was replaced"
chmod 644 "$settings"
press d
wait_until "the settings were not written once the file took writes" eval \
    'ini_is CD Drive_D False && ini_is CD Drive_G True && ini_is CD Drive_H True'
kill "$program_pid"

# ================================================================================================
# Run four: eject from a drive button's own menu, through the stand-in UDisks2. An optical drive unmounts
# and ejects, an image unmounts and is deleted; a busy disc is refused with a message, nothing more asked.
e2e_udisks '{"ejects": {"sr0": ["", ""], "sr1": ["DeviceBusy", ""], "loop0": ["", ""]}}'
printf '[CD]\nDrive_D=True\nDrive_E=True\nDrive_G=True\n' >"$settings"
insert 1 "$disc1" "$label1"
attach_image 0 "$disc2" IMAGE_TWO
e2e_start
wait_client "run four: three rows should be 147 px high" height = 147
while IFS='|' read -r -u 3 row calls told; do
    : >"$work/udisks.log"
    click_button "$row" 3 3
    keys_to "the drive button's menu" popup_menu j
    wait_until "eject of row $row: the service was not asked [$calls]" eval '[ "$(udisks_calls)" = "$calls" ]'
    [ "$told" = no ] || keys_to "the eject's refusal" refusal Return
    [ "$(udisks_calls)" = "$calls" ] || fail "eject of row $row: the service was asked [$(udisks_calls)]"
done 3<<'TABLE'
1|Unmount Eject|no
2|Unmount!|yes
3|Unmount Delete|no
TABLE
[ -z "$(refusal)" ] || fail "a successful eject showed a message"
kill "$program_pid"

e2e_finish window "$work/program.log"
