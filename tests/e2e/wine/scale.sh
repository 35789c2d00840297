#!/usr/bin/env bash
# The Windows program on scaled screens under Wine. The manifest in the executable; at each system DPI
# (LogPixels: Wine has one DPI for every monitor) the drive window's client area and buttons are its
# twips layout at that DPI and each button shows the image of the fitting size; a move to a monitor of
# another DPI (WM_DPICHANGED, which Wine never sends, sent by the driver) puts the window where the
# system suggests, laid out as a start at that DPI; the dialogs scale as well, and every push button,
# check box and group box carries a name for a screen reader (MSAA). Saves screenshots at 144 and 192 DPI
# (in docs/ as well with TAVIMORO_UPDATE_DOCS).
#
# Environment: see session.bash.
set -euo pipefail
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"

step "the manifest in the executable"
require_files "$WIN_BUILD/tavimoro.exe" "$WIN_BUILD/tests/win32/iconprobe.dll"
manifest=$(wrestool -x --raw --type=24 --name=1 "$WIN_BUILD/tavimoro.exe" | tr -s ' \r\n\t' ' ')
[ -n "$manifest" ] || fail "no manifest resource in tavimoro.exe"
# A manifest that is not well-formed XML keeps Windows from starting the program at all.
xmllint --noout - <<<"$manifest" || fail "the manifest is not well-formed XML: $manifest"
while IFS='|' read -r what pattern; do
    grep -qE "$pattern" <<<"$manifest" || fail "the manifest lacks $what: $manifest"
done <<'EOF'
Common Controls 6|<assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6\.0\.0\.0" [^>]*publicKeyToken="6595b64144ccf1df"
per-monitor DPI awareness before Windows 10|<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>
per-monitor v2 DPI awareness, else system aware|<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, System</dpiAwareness>
Windows 7|<supportedOS Id="\{35138b9a-5d96-4fbd-8e2d-a2440225f93a\}"/>
Windows 8|<supportedOS Id="\{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38\}"/>
Windows 8.1|<supportedOS Id="\{1f676c76-80e1-4239-95bb-83d0f6d0da78\}"/>
Windows 10 and 11|<supportedOS Id="\{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a\}"/>
the invoker's rights|<requestedExecutionLevel level="asInvoker"
EOF

wine_session_start
wine_unmanaged
wine_program driver
cp "$WIN_BUILD/tests/win32/iconprobe.dll" "$C/tools/"

step "an autorun disc whose icon file draws each size in a colour of its own in M:, an empty drive N:"
mkdir -p "$WORK/disc" "$WORK/empty"
echo SCALE >"$WORK/disc/.windows-label"
cp "$RECORDER_EXE" "$WORK/disc/RECORDER.EXE"
printf '[AutoRun]\r\nopen=RECORDER.EXE\r\nicon=DISC.ICO\r\n' >"$WORK/disc/AUTORUN.INF"
images=()
for image in 16:000000 32:ff0000 40:00ff00 48:0000ff 64:ffff00; do
    size=${image%:*} middle=$((${image%:*} / 2))
    images+=(\( -size "${size}x$size" xc:none -fill "#${image#*:}" -draw "circle $middle,$middle $middle,1" \))
done
convert "${images[@]}" "$WORK/disc/DISC.ICO"
wine_cdrom m "$WORK/disc"
wine_cdrom n "$WORK/empty"

# DPI, then what the two rows come to at it: the client area (the 735-twip button and the 1200-twip
# least label width with its 60-twip gaps, 1995 twips wide; two rows of 735 twips, 1470 high), the
# button's side, and the icon: 32 pixels scaled, the image of that size out of the disc's icon file.
SCALES=$(
    cat <<'EOF'
96 133,98 49 32 ff0000
120 166,123 61 40 00ff00
144 200,147 74 48 0000ff
192 266,196 98 64 ffff00
EOF
)

# laid_out CLIENT BUTTON ICON COLOUR: the window, the rows and the icons as a row of SCALES has them.
laid_out() {
    expect "window visible=1 client=$1 " "button 1 visible=1 enabled=1 icon=1 rect=0,0,$2,$2 " \
        "button 2 visible=1 enabled=0 icon=1 rect=0,$2,$2,$2 "
    drv icons 10 >"$WORK/icons.txt" || fail "the icons could not be read: $(cat "$WORK/icons.txt")"
    grep -qx "icon 1 size=$3 colour=$4" "$WORK/icons.txt" ||
        fail "the disc's icon is not its $3-pixel image: $(cat "$WORK/icons.txt")"
    grep -q "^icon 2 size=$3 " "$WORK/icons.txt" ||
        fail "the program's icon is not $3 pixels: $(cat "$WORK/icons.txt")"
}
# screenshot NAME: the drive window with its frame, in the artifacts and, with TAVIMORO_UPDATE_DOCS, in docs/.
screenshot() {
    local x y w h
    read -r w h x y <<<"$(grep -m1 '"tavimoro":' <<<"$(xwininfo -root -tree)" |
        sed -E 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*$/\1 \2 \3 \4/')"
    [ -n "${y:-}" ] || fail "no drive window on the screen"
    sleep 0.5 # lets it finish painting
    import -window root -crop "$((w + 12))x$((h + 12))+$((x - 6))+$((y - 6))" +repage "$ARTIFACT_DIR/$1"
    echo "screenshot: $ARTIFACT_DIR/$1"
    [ -z "${TAVIMORO_UPDATE_DOCS:-}" ] || cp "$ARTIFACT_DIR/$1" "$SOURCE_DIR/docs/$1"
}

while read -r dpi client button icon colour; do
    step "at $dpi DPI: client area $client, buttons of $button px, icons of $icon px"
    [ -z "${tavimoro_pid:-}" ] || { drv close && wine_ended "$tavimoro_pid" "the program did not end"; }
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >>"$WORK/reg.log" 2>&1 ||
        fail "could not set LogPixels (see $WORK/reg.log)"
    wine_drives_reload # Wine reads the DPI when it starts, as it reads the drives
    rm -f "$INI"       # each start registers the CD-ROM drives anew and places the window by itself
    wine 'C:\tavi\tavimoro.exe' >>"$WORK/tavimoro.log" 2>&1 &
    tavimoro_pid=$!
    laid_out "$client" "$button" "$icon" "$colour"
    case $dpi in 144 | 192) screenshot "screenshot-wine-$dpi.png" ;; esac
done <<<"$SCALES"

# The program runs at 192 DPI from here on.
step "the settings dialog and the about box at 192 DPI, and the names a screen reader reads"
drv names >"$WORK/names.txt" || fail "an unnamed control in the drive window: $(cat "$WORK/names.txt")"
grep -qx 'name button 1001 text=SCALE (M:)' "$WORK/names.txt" || fail "row 1's button: $(cat "$WORK/names.txt")"
grep -qx 'name button 1002 text=(N:)' "$WORK/names.txt" || fail "row 2's button: $(cat "$WORK/names.txt")"
# CAPTION, its client area (the layout's twips at 192 DPI), and the system menu's keys that open it.
while read -r caption size keys; do
    # shellcheck disable=SC2086 # the keys are words of their own
    drv input window alt+space && drv menu 10 >/dev/null && drv input none $keys || fail "no system menu"
    drv dialog "$caption" 10 >"$WORK/dialog.txt" || fail "no dialog [$caption]"
    grep -q "^dialog caption=$caption client=$size " "$WORK/dialog.txt" ||
        fail "[$caption] is not $size pixels: $(cat "$WORK/dialog.txt")"
    drv names >"$WORK/names.txt" || fail "an unnamed control in [$caption]: $(cat "$WORK/names.txt")"
    # Every control of the dialog is read with its caption.
    grep '^control ' "$WORK/dialog.txt" | while read -r _ id _ _ _ _ _ text; do
        grep -qx "name [a-z]* $id ${text}" "$WORK/names.txt" ||
            fail "control $id of [$caption] is not read as [${text#text=}]: $(cat "$WORK/names.txt")"
    done
    drv closedialog && drv nodialog 10 || fail "[$caption] did not close"
done <<'EOF'
設定 738,564 end up return
ﾊﾞｰｼﾞｮﾝ情報 724,286 end up up up return
EOF

step "a move to a monitor of each DPI: the suggested place, laid out as a start at that DPI"
while read -r dpi client button icon colour; do
    drv dpichanged "$dpi" 40 30 300 300 || fail "WM_DPICHANGED did not reach the window"
    laid_out "$client" "$button" "$icon" "$colour"
    expect 'placement rect=40,30,'
done <<<"$SCALES"

drv close
wine_ended "$tavimoro_pid" "the program did not end"
echo "PASS: the Windows program at 96, 120, 144 and 192 DPI"
