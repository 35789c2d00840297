#!/usr/bin/env bash
# The drive window at Qt's scale factors on Xvfb: the rows keep their layout (the client area grows with
# the factor) and each button shows the image of its icon that fits the scale. D:'s icon is an .ico file,
# E:'s the icon group of a Windows program; both hold a red 32 and a blue 48 pixel image. Leaves the
# window at 1.5 and 2 as scale-1.5.png and scale-2.png, and, when asked, in docs/.
set -u

: "${TAVIMORO_E2E:?TAVIMORO_E2E must name the test build of the program}"
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
e2e_require Xvfb openbox xdotool xwininfo import convert x86_64-w64-mingw32-windres x86_64-w64-mingw32-gcc
e2e_start_display
e2e_private_user
e2e_machine 2
e2e_program

mkdir -p "$work/d" "$work/e"
convert -size 32x32 xc:'#ff0000' -size 48x48 xc:'#0000ff' "$work/d/DISC.ICO"
printf '[AutoRun]\r\nopen=setup.sh\r\nicon=DISC.ICO\r\n' >"$work/d/AUTORUN.INF"
printf '1 ICON "%s"\n' "$work/d/DISC.ICO" >"$work/setup.rc"
echo 'int main(void) { return 0; }' >"$work/setup.c"
x86_64-w64-mingw32-windres "$work/setup.rc" -O coff -o "$work/setup.o" &&
    x86_64-w64-mingw32-gcc -s -o "$work/e/SETUP.EXE" "$work/setup.c" "$work/setup.o" || fail "no Windows program"
printf '[AutoRun]\r\nopen=setup.sh\r\nicon=SETUP.EXE,0\r\n' >"$work/e/AUTORUN.INF"
printf 'E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=GAME\n' >"$TAVIMORO_TEST_UDEV/b11:0"
printf 'E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=TOOLS\n' >"$TAVIMORO_TEST_UDEV/b11:1"
printf '%s\n' "$e2e_root_mount" "40 22 11:0 / $work/d ro - iso9660 /dev/sr0 ro" \
    "41 22 11:1 / $work/e ro - iso9660 /dev/sr1 ro" >"$TAVIMORO_TEST_MOUNTINFO"
printf '[CD]\nDrive_D=True\nDrive_E=True\n' >"$settings"

# "COLOUR COUNT": the colour at the centre of row ROW's button, and how many pixels of it the button's
# middle line holds: the width of the image drawn.
seen=""
button_line() { # row
    local x y w h side
    read -r x y w h < <(geometry "$(window_id)") || return 1
    side=$((h / 2))
    import -window root -crop "${side}x1+$x+$((y + side * ($1 - 1) + side / 2))" +repage -depth 8 txt:- 2>/dev/null |
        awk -v mid=$((side / 2)) 'NR > 1 {split($1, p, ","); n[$3]++; if (p[1] == mid) m = $3} END {print m, n[m]}'
}
line_is() { seen=$(button_line "$1") && [ "$seen" = "$2" ]; }

# factor, client size, the image both buttons show: its colour and width in device pixels
while read -r factor size colour width; do
    step "QT_SCALE_FACTOR=$factor"
    e2e_start env QT_SCALE_FACTOR="$factor"
    wait_until "at $factor the window did not show" visible_window
    wait_client "at $factor two rows should be $size" size = "$size"
    for row in 1 2; do
        wait_until "at $factor row $row's button does not show a $colour image $width px wide" \
            line_is "$row" "$colour $width" || echo "    it shows: $seen" >&2
    done
    [ "$factor" = 1.5 ] || [ "$factor" = 2 ] && picture "scale-$factor.png" "screenshot-linux-scale-$factor.png" "$(window_id)"
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null
done <<'TABLE'
1    133x98  #FF0000 32
1.25 166x123 #0000FF 40
1.5  200x147 #0000FF 48
2    266x196 #0000FF 64
TABLE

e2e_finish scale "$work/program.log"
