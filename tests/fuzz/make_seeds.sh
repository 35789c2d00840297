#!/usr/bin/env bash
# Makes the binary seeds of the fuzz corpora with the tools of the build machine: icon files with
# ImageMagick, a tiny PE program with icon resources with mingw-w64, and the UTF-16 and CP932 text files
# with iconv. The seeds are in the tree; run this only to make them again:   tests/fuzz/make_seeds.sh
set -euo pipefail
corpus="$(cd "$(dirname "$0")" && pwd)/corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# ---- Icon files: palette images of two sizes, one 32-bit image, one 256-pixel image stored as PNG.
convert -size 16x16 xc:red -size 32x32 xc:blue -colors 16 two_sizes.ico
convert -size 16x16 gradient:green-white -alpha set one_32bit.ico
convert -size 256x256 xc:orange -define icon:auto-resize=256 png_256.ico
mkdir -p "$corpus/ico_file" "$corpus/pe_icons"
cp two_sizes.ico one_32bit.ico png_256.ico "$corpus/ico_file/"

# ---- A program without code but with three icon groups (ids 1, 7 and 9), as a disc's SETUP.EXE.
printf '1 ICON "two_sizes.ico"\n7 ICON "one_32bit.ico"\n9 ICON "png_256.ico"\n' >icons.rc
x86_64-w64-mingw32-windres icons.rc -O coff -o icons.o
printf 'void start(void) {}\n' >start.c
x86_64-w64-mingw32-gcc -Os -nostdlib -Wl,--entry=start -Wl,--subsystem,windows -s -o setup.exe start.c icons.o
install -m 644 setup.exe "$corpus/pe_icons/setup.exe"
# An .ico file named as a program: no PE header at all.
cp two_sizes.ico "$corpus/pe_icons/not_a_program.ico"

# ---- Settings and AUTORUN.INF files in UTF-16 with its mark and in CP932.
mkdir -p "$corpus/profile_read" "$corpus/profile_ops" "$corpus/autorun"
utf16() { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; }
printf '[Mode]\r\nWindowTop=True\r\nStandby=False\r\n\r\n[CD]\r\nDrive_E=True\r\n; 日本語のコメント\r\n' |
    utf16 >"$corpus/profile_read/utf16.ini"
printf '[AutoRun]\r\nopen=セットアップ.exe /s\r\nicon=セットアップ.exe,1\r\n' | utf16 >"$corpus/autorun/utf16.inf"
printf '[AutoRun]\r\nopen=セットアップ\\表示.exe\r\nicon=ディスク.ico\r\n' | iconv -f UTF-8 -t CP932 \
    >"$corpus/autorun/cp932.inf"
printf '[Mode]\r\nName=ソフト\r\n' | iconv -f UTF-8 -t CP932 >"$corpus/profile_read/cp932.ini"
{
    printf '[Mode]\r\nWindowTop=True\r\n[CD]\r\nDrive_E=True\r\n' | utf16
    printf '%%%%ops\ns CD|Drive_F|True\ns Mode|表示|はい\nd CD|Drive_E\nx Mode\ns New|k|v\n'
} >"$corpus/profile_ops/utf16.ops"
# An odd byte at the end of a UTF-16 file: half a character that no write may join to a value.
{
    printf '[A]\r\nk=v\r\n' | utf16
    printf 'x%%%%ops\ns B|k|1\ns A|n|2\n'
} >"$corpus/profile_ops/utf16_odd.ops"
echo "seeds written to $corpus"
