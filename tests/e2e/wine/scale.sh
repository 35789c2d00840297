#!/usr/bin/env bash
# Scaled screens under Wine (one DPI, LogPixels; the driver sends WM_DPICHANGED): the manifest, the layout and icon
# images at each DPI, the dialogs, MSAA names. Screenshots at 144 and 192 DPI (into docs/ with TAVIMORO_UPDATE_DOCS).
set -euo pipefail
# shellcheck source=session.bash
source "$(dirname "$0")/session.bash"
manifest=$(wrestool -x --raw --type=24 --name=1 "$WIN_BUILD/tavimoro.exe" | tr -s ' \r\n' ' ')
xmllint --noout - <<<"$manifest" || fail "no well-formed manifest in tavimoro.exe: [$manifest]"
for want in 'Common-Controls" version="6.0.0.0"' '>true/pm</dpiAware>' '>PerMonitorV2, System</dpiAwareness>' \
    35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
    8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a 'requestedExecutionLevel level="asInvoker"'; do
    grep -qF "$want" <<<"$manifest" || fail "the manifest lacks [$want]: $manifest"
done
wine_session_start
wine_unmanaged
wine_program driver
mkdir -p "$WORK/disc" "$WORK/empty" && echo SCALE >"$WORK/disc/.windows-label"
printf '[AutoRun]\r\nopen=DISC.ICO\r\nicon=DISC.ICO\r\n' >"$WORK/disc/AUTORUN.INF"
# Each image of the disc's icon is a circle of a colour of its own: the screen tells which one is shown.
for i in 16:000000 32:ff0000 40:00ff00 48:0000ff 64:ffff00; do
    s=${i%:*} r=$((${i%:*} / 2)) && images+=(\( -size "${s}x$s" xc:none -fill "#${i#*:}" -draw "circle $r,$r $r,1" \))
done
convert "${images[@]}" "$WORK/disc/DISC.ICO" && wine_cdrom m "$WORK/disc" && wine_cdrom n "$WORK/empty"
# DPI; two rows' client area (1995 x 1470 twips), button (735 twips), the icon image's size (32 px scaled), colour.
SCALES='96 133,98 49 32 ff0000
120 166,123 61 40 00ff00
144 200,147 74 48 0000ff
192 266,196 98 64 ffff00'
# laid_out CLIENT BUTTON ICON COLOUR: the window as that row of SCALES has it (the icon image at its own size: its
# circle, less the blended edge, is all of its colour); its screenshot goes to $shot.
laid_out() {
    expect "client=$1 " "button 1 visible=1 enabled=1 icon=1 rect=0,0,$2,$2 " "button 2 visible=1 enabled=0 icon=1 rect=0,$2,$2,$2 "
    read -r x y w h <<<"$(sed -nE 's/^placement rect=(-?[0-9]+),(-?[0-9]+),([0-9]+),([0-9]+) .*/\1 \2 \3 \4/p' "$WORK/dump.txt")"
    sleep 0.5 # lets it finish painting
    import -window root -crop "$((w + 12))x$((h + 12))+$((x - 6))+$((y - 6))" +repage "$shot"
    seen=$(convert "$shot" -fill black +opaque "#$4" -trim -format %w info: 2>/dev/null)
    ((seen >= $3 - 4 && seen < $3)) || fail "the disc's icon is not its $3 px image (#$4 spans $seen px)"
}
while read -r dpi client button icon colour; do
    step "started at $dpi DPI"
    [ -z "${pid:-}" ] || { drv close && wine_ended "$pid" "the program did not end"; }
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >>"$WORK/reg.log" 2>&1
    wine_drives_reload # Wine reads the DPI as it starts
    rm -f "$INI"       # each start registers the drives anew and places the window itself
    wine 'C:\tavi\tavimoro.exe' >>"$WORK/tavimoro.log" 2>&1 &
    pid=$! shot=$ARTIFACT_DIR/screenshot-wine-$dpi.png && laid_out "$client" "$button" "$icon" "$colour"
    [ -z "${TAVIMORO_UPDATE_DOCS:-}" ] || [ "$dpi" -lt 144 ] || cp "$shot" "$SOURCE_DIR/docs/"
done <<<"$SCALES"
while read -r caption size name keys; do
    # shellcheck disable=SC2086 # one key a word
    drv input window alt+space && drv input menu $keys && drv dialog "$caption" 10 \
        >"$WORK/dialog.txt" && grep -q "client=$size " "$WORK/dialog.txt" || fail "no [$caption] of $size px"
    drv names >"$WORK/names.txt" && grep -q " text=$name$" "$WORK/names.txt" &&
        grep -q "^name button 1001 text=SCALE (M:)$" "$WORK/names.txt" || fail "$(cat "$WORK/names.txt")"
    drv closedialog && drv nodialog 10 || fail "[$caption] did not close"
done <<<'設定 738,564 タスクトレイに常駐する end up return
ﾊﾞｰｼﾞｮﾝ情報 724,286 Tavimoro end up up up return'
# Moved to a monitor of each DPI: at the suggested place, laid out as a start there.
while read -r dpi client button icon colour; do
    drv dpichanged "$dpi" 40 30 300 300 && shot=$WORK/moved.png && laid_out "$client" "$button" "$icon" "$colour"
    expect 'placement rect=40,30,'
done <<<"$SCALES"
drv close && wine_ended "$pid" "the program did not end"
echo "PASS: the Windows program at 96, 120, 144 and 192 DPI"
