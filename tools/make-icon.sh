#!/usr/bin/env bash
# Draws the program's icon, a compact disc, at 32x32 and 16x16 and packs both into res/tavimoro.ico.
# The drawing is plain vector commands and every time stamp is left out, so the file comes out the same
# on every run: the generated icon is checked in and this script only needs to run when the drawing changes.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# draw SIZE OUT: the disc scaled to SIZE pixels (coordinates given for 32, scaled by the viewbox).
draw() {
    local size=$1 out=$2
    convert -size 64x64 xc:none \
        -fill '#8a8f99' -stroke '#4a4f59' -strokewidth 2 -draw 'circle 32,32 32,3' \
        -stroke none -fill '#c9d3e0' -draw 'circle 32,32 32,7' \
        -fill '#9fd0f0' -draw 'path "M 32,32 L 12,12 A 28,28 0 0,1 32,4 Z"' \
        -fill '#f3c6e8' -draw 'path "M 32,32 L 52,52 A 28,28 0 0,1 32,60 Z"' \
        -fill '#e8eef5' -stroke '#6a707a' -strokewidth 2 -draw 'circle 32,32 32,19' \
        -stroke none -fill '#4a4f59' -draw 'circle 32,32 32,26' \
        -resize "${size}x${size}" \
        -define png:exclude-chunks=date,time +set date:create +set date:modify \
        "PNG32:$out"
    # The hole in the middle lets the background through.
    convert "$out" -fill none -draw "color $((size / 2)),$((size / 2)) floodfill" \
        -define png:exclude-chunks=date,time +set date:create +set date:modify "PNG32:$out"
}

draw 32 "$work/disc32.png"
draw 16 "$work/disc16.png"
convert "$work/disc32.png" "$work/disc16.png" +set date:create +set date:modify res/tavimoro.ico
echo "wrote res/tavimoro.ico"
