#!/usr/bin/env bash
# The Windows zip as a user gets it: built with CPack from the Windows build, one folder holding exactly the
# two programs and the read-me; programs that need no DLL beyond those Windows itself ships; a read-me that
# Notepad shows as Japanese on any Windows (UTF-8 with a byte-order mark, CRLF line ends).
#
# Environment: TAVIMORO_WIN_BUILD (the Windows build folder), TAVIMORO_VERSION.
set -u
win_build=${TAVIMORO_WIN_BUILD:?TAVIMORO_WIN_BUILD must name the Windows build folder}
version=${TAVIMORO_VERSION:?TAVIMORO_VERSION must give the project version}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=../e2e/common.bash
source "$(dirname "$0")/../e2e/common.bash"

[ -f "$win_build/CPackConfig.cmake" ] || {
    echo "FAIL: no Windows build in $win_build (cmake --preset windows && cmake --build build/windows)" >&2
    exit 1
}
cpack --config "$win_build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the zip" >&2
    exit 1
}
folder="tavimoro-$version-win64"
zip="$work/out/$folder.zip"
[ -f "$zip" ] || {
    echo "FAIL: no $folder.zip; cpack made: $(ls "$work/out")" >&2
    exit 1
}

# cmake reads zips itself: no unzip needed.
(cd "$work" && cmake -E tar tf "$zip") | grep -v '/$' | sort >"$work/listing"
printf '%s\n' "$folder/readme.txt" "$folder/tavimoro-ini.exe" "$folder/tavimoro.exe" | sort |
    cmp -s - "$work/listing" || fail "the zip holds: $(tr '\n' ' ' <"$work/listing")"
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip") || fail "the zip does not unpack"
unpacked="$work/unpacked/$folder"

# DLLs every 64-bit Windows has; anything else (the compiler's libstdc++-6.dll, libgcc_s_seh-1.dll,
# libwinpthread-1.dll) would have to ship beside the programs.
system_dlls='advapi32|comctl32|comdlg32|gdi32|imm32|kernel32|msvcrt|ole32|oleacc|oleaut32|shell32|shlwapi|user32|uxtheme'
system_dlls+='|version|winmm|ws2_32|ucrtbase|api-ms-win-.*'
for program in tavimoro tavimoro-ini; do
    exe="$unpacked/$program.exe"
    [ -f "$exe" ] || continue
    x86_64-w64-mingw32-objdump -p "$exe" >"$work/headers" 2>&1 || {
        fail "$program.exe is not a Windows program: $(head -n 3 "$work/headers")"
        continue
    }
    grep -q 'file format pei-x86-64' "$work/headers" || fail "$program.exe is not a 64-bit Windows program"
    for dll in $(awk '$1 == "DLL" && $2 == "Name:" {print tolower($3)}' "$work/headers"); do
        grep -qxE "($system_dlls)\.dll" <<<"$dll" || fail "$program.exe needs $dll, which Windows does not have"
    done
done

readme="$unpacked/readme.txt"
if [ -f "$readme" ]; then
    [ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
        fail "the read-me does not start with a UTF-8 byte-order mark"
    iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null 2>&1 || fail "the read-me is not valid UTF-8"
    # Every line, the last one too, ends in exactly one CR and LF when taking the CRs off and putting them back
    # changes nothing.
    sed 's/\r$//' "$readme" | sed 's/$/\r/' | cmp -s - "$readme" || fail "the read-me's lines do not all end in CRLF"
    head -n 1 "$readme" | grep -q "Tavimoro $version" ||
        fail "the read-me's first line does not name version $version"
    for command in get set section delete-section; do
        grep -q "tavimoro-ini $command " "$readme" || fail "the read-me does not explain 'tavimoro-ini $command'"
    done
else
    fail "the zip has no readme.txt"
fi

e2e_finish "the zip is complete: $folder.zip"
