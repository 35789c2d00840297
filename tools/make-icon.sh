#!/usr/bin/env bash
# Draws the program's icon, a compact disc, at 32x32 and 16x16, and again at 48, 64, 128 and 256 pixels. Packs
# 32, 16, 48, 64 and 256 into res/tavimoro.ico (in that order: the first two stay where they always were),
# so that Windows finds an image near every size a scaled screen asks for; writes all six sizes into
# res/hicolor/, the icon theme tree that is installed on Linux. The drawing is plain vector commands and every time stamp is left out, so the files come
# out the same on every run: the generated icons are checked in and this script only needs to run when the
# drawing changes.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The disc in coordinates for a 64x64 canvas; a larger canvas scales them with -affine.
DISC=(
    -fill '#8a8f99' -stroke '#4a4f59' -strokewidth 2 -draw 'circle 32,32 32,3'
    -stroke none -fill '#c9d3e0' -draw 'circle 32,32 32,7'
    -fill '#9fd0f0' -draw 'path "M 32,32 L 12,12 A 28,28 0 0,1 32,4 Z"'
    -fill '#f3c6e8' -draw 'path "M 32,32 L 52,52 A 28,28 0 0,1 32,60 Z"'
    -fill '#e8eef5' -stroke '#6a707a' -strokewidth 2 -draw 'circle 32,32 32,19'
    -stroke none -fill '#4a4f59' -draw 'circle 32,32 32,26'
)
NO_DATES=(-define png:exclude-chunks=date,time +set date:create +set date:modify)

# draw SIZE OUT: the disc drawn on the 64x64 canvas and scaled down to SIZE pixels (16 or 32).
draw() {
    local size=$1 out=$2
    convert -size 64x64 xc:none "${DISC[@]}" -resize "${size}x${size}" "${NO_DATES[@]}" "PNG32:$out"
    # The hole in the middle lets the background through.
    convert "$out" -fill none -draw "color $((size / 2)),$((size / 2)) floodfill" "${NO_DATES[@]}" "PNG32:$out"
}

# draw_large SIZE OUT: the same disc drawn on a canvas at least twice SIZE, so that it stays sharp. The hole is cut
# with the radius it comes out at in the small images: filling the centre's colour as draw() does would
# clear the whole dark hub once it is more than a few pixels wide.
draw_large() {
    local size=$1 out=$2
    local k=$(((size * 2 + 63) / 64))
    local canvas=$((64 * k))
    convert -size "${canvas}x${canvas}" xc:none -affine "$k,0,0,$k,0,0" "${DISC[@]}" \
        \( -size "${canvas}x${canvas}" xc:none -fill black \
        -draw "circle $((32 * k)),$((32 * k)) $((32 * k)),$((29 * k))" \) -compose DstOut -composite \
        -resize "${size}x${size}" "${NO_DATES[@]}" "PNG32:$out"
}

draw 32 "$work/disc32.png"
draw 16 "$work/disc16.png"
for size in 48 64 128 256; do
    draw_large "$size" "$work/disc$size.png"
done
# The 256-pixel image goes in as a PNG, the others as bitmaps.
convert "$work/disc32.png" "$work/disc16.png" "$work/disc48.png" "$work/disc64.png" "$work/disc256.png" \
    "${NO_DATES[@]}" res/tavimoro.ico
echo "wrote res/tavimoro.ico"

for size in 16 32 48 64 128 256; do
    folder="res/hicolor/${size}x${size}/apps"
    mkdir -p "$folder"
    cp "$work/disc$size.png" "$folder/tavimoro.png"
    echo "wrote $folder/tavimoro.png"
done
