#!/usr/bin/env bash
# The drive window at Qt's scale factors: the client area grows with the factor, and each button draws the
# image that fits of its icon (D:'s an .ico file, E:'s a Windows program's icon group, each a red 32 and a
# blue 48 pixel image). Leaves the window at 1.5 and 2 (and, when asked, in docs/).
set -u
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
e2e_require Xvfb openbox xdotool xwininfo import convert x86_64-w64-mingw32-windres x86_64-w64-mingw32-gcc
e2e_start_display
e2e_private_user
e2e_machine 2
e2e_program
mkdir -p "$work/d" "$work/e"
convert -size 32x32 xc:'#ff0000' -size 48x48 xc:'#0000ff' "$work/d/DISC.ICO"
printf '1 ICON "%s"\n' "$work/d/DISC.ICO" | x86_64-w64-mingw32-windres -J rc -i /dev/stdin -O coff -o "$work/o" &&
    echo 'int main(void) { return 0; }' | x86_64-w64-mingw32-gcc -s -x c - -x none "$work/o" -o "$work/e/SETUP.EXE" ||
    fail "no Windows program"
printf '[AutoRun]\r\nopen=x\r\nicon=DISC.ICO\r\n' >"$work/d/AUTORUN.INF"
printf '[AutoRun]\r\nopen=x\r\nicon=SETUP.EXE,0\r\n' >"$work/e/AUTORUN.INF"
printf 'E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=GAME\n' >"$TAVIMORO_TEST_UDEV/b11:0"
printf 'E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=TOOLS\n' >"$TAVIMORO_TEST_UDEV/b11:1"
printf '%s\n' "$e2e_root_mount" "40 22 11:0 / $work/d ro - iso9660 /dev/sr0 ro" \
    "41 22 11:1 / $work/e ro - iso9660 /dev/sr1 ro" >"$TAVIMORO_TEST_MOUNTINFO"
# "COLOUR WIDTH" of what row ROW's button draws: the colour at its centre, and how many pixels of its
# middle line have that colour.
drawn() { # row
    local x y h side
    read -r x y _ h < <(geometry "$(window_id)") && side=$((h / 2)) || return 1
    import -window root -crop "${side}x1+$x+$((y + side * ($1 - 1) + side / 2))" +repage -depth 8 txt:- |
        awk -v mid=$((side / 2)) 'NR > 1 {split($1, p, ","); n[$3]++; if (p[1] == mid) m = $3} END {print m, n[m]}'
}
while read -r factor size image; do # the client size, and the image both buttons draw
    e2e_start env QT_SCALE_FACTOR="$factor"
    wait_client "at $factor two rows should be $size" size = "$size"
    for row in 1 2; do
        wait_until "at $factor row $row draws [$image]" eval '[ "$(drawn $row)" = "$image" ]' ||
            echo "    not [$(drawn $row)]" >&2
    done
    case $factor in 1.5 | 2) picture "scale-$factor.png" "screenshot-linux-scale-$factor.png" "$(window_id)" ;; esac
    kill "$program_pid" && wait "$program_pid" 2>/dev/null
done <<'TABLE'
1    133x98  #FF0000 32
1.25 166x123 #0000FF 40
1.5  200x147 #0000FF 48
2    266x196 #0000FF 64
TABLE
e2e_finish scale "$work/program.log"
