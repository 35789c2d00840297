#!/usr/bin/env bash
# Makes the binary seeds of the fuzz corpora with the tools of the build machine: icon files with
# ImageMagick, a tiny PE program with icon resources with mingw-w64, a 16-bit NE program with Python, and
# the UTF-16 and CP932 text files with iconv. The seeds are in the tree; run this only to make them again:
#   tests/fuzz/make_seeds.sh
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
# ---- A 16-bit setup program (NE) with two icon groups of 16-colour images, ids 1 and 2, as on Windows 3.x
# discs; the second group claims its image's height with the mask, as some linkers wrote it.
python3 - "$corpus/pe_icons/setup16.exe" <<'EOF'
import struct, sys
def dib(side):  # a header, 16 colours, every pixel colour 1, an empty mask
    return (struct.pack('<IiiHHIIiiII', 40, side, 2 * side, 1, 4, 0, 0, 0, 0, 16, 0) + b'\0\0\xff\0' * 16 +
            b'\x11' * (side // 2 * side) + bytes((side + 31) // 32 * 4 * side))
def group(*entries):  # (width, height claimed, icon id)
    return struct.pack('<HHH', 0, 1, len(entries)) + b''.join(
        struct.pack('<BBBBHHIH', w, h, 16, 0, 1, 4, 0, i) for w, h, i in entries)
table, body = struct.pack('<H', 4), b''  # offsets and lengths in 16-byte units, data from 0x100
for type_id, items in ((0x8003, [(1, dib(16)), (2, dib(32))]),
                       (0x800E, [(1, group((16, 16, 1), (32, 32, 2))), (2, group((32, 64, 2)))])):
    table += struct.pack('<HHI', type_id, len(items), 0)
    for rid, data in items:
        data += bytes(-len(data) % 16)
        table += struct.pack('<6H', (0x100 + len(body)) >> 4, len(data) >> 4, 0x30, 0x8000 | rid, 0, 0)
        body += data
table += bytes(3)  # no more types; an empty resident-name table
ne = b'NE' + bytes(0x22) + struct.pack('<HH', 0x40, 0x40 + len(table) - 1) + bytes(0x18)
head = b'MZ' + bytes(0x3A) + struct.pack('<I', 0x40) + ne + table
open(sys.argv[1], 'wb').write(head + bytes(0x100 - len(head)) + body)
EOF
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
