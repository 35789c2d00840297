#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack from this build, unpacked into a scratch root (the
# machine's package database is never touched), its programs run from there, its desktop entry, icons,
# AppStream data and manual pages where desktops and tools look for them, every library the programs load
# covered by its dependencies, and lintian without errors or warnings.
#
# Environment: TAVIMORO_CPACK_CONFIG (the Linux build's CPackConfig.cmake), TAVIMORO_VERSION,
# TAVIMORO_SOURCE_DIR.
set -u
config=${TAVIMORO_CPACK_CONFIG:?TAVIMORO_CPACK_CONFIG must name CPackConfig.cmake of the Linux build}
version=${TAVIMORO_VERSION:?TAVIMORO_VERSION must give the project version}
source_dir=${TAVIMORO_SOURCE_DIR:?TAVIMORO_SOURCE_DIR must name the source tree}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=../e2e/common.bash
source "$(dirname "$0")/../e2e/common.bash"

cpack --config "$config" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the package" >&2
    exit 1
}
deb="$work/out/tavimoro_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || {
    echo "FAIL: no $(basename "$deb"); cpack made: $(ls "$work/out")" >&2
    exit 1
}

field() { dpkg-deb -f "$deb" "$1"; }

root="$work/root"
dpkg-deb -x "$deb" "$root" || {
    echo "FAIL: dpkg-deb could not unpack the package" >&2
    exit 1
}

# --- The programs, run from the scratch root.
for program in tavimoro tavimoro-ini; do
    [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program is missing or not executable"
done

ini="$work/tavimoro.ini"
tool="$root/usr/bin/tavimoro-ini"
"$tool" set "$ini" CD Drive_D True || fail "installed tavimoro-ini: set failed"
printf '[CD]\nDrive_D=True\n' | cmp -s - "$ini" || fail "installed tavimoro-ini wrote: $(cat -A "$ini" 2>&1)"
[ "$("$tool" get "$ini" cd drive_d False)" = True ] || fail "installed tavimoro-ini: get"

# The program itself, with only what the package put in place: given a disc folder it starts the disc's
# program and ends.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/disc/bin"
chmod 700 "$XDG_RUNTIME_DIR"
printf '#!/bin/sh\npwd >"%s/ran"\n' "$work" >"$work/disc/bin/setup.sh"
chmod +x "$work/disc/bin/setup.sh"
printf '[AutoRun]\r\nopen=Bin\\SETUP.sh\r\n' >"$work/disc/AUTORUN.INF"
timeout 60 "$root/usr/bin/tavimoro" "$work/disc" >"$work/tavimoro.log" 2>&1 ||
    fail "installed tavimoro: exit status $? ($(cat "$work/tavimoro.log"))"
for _ in $(seq 1 100); do
    [ -s "$work/ran" ] && break
    sleep 0.1
done
[ "$(cat "$work/ran" 2>/dev/null)" = "$work/disc" ] || fail "installed tavimoro did not start the disc's program"

# --- Every library the programs link comes from a package the .deb depends on (those libraries' own
# dependencies are their packages' business).
depends=" $(field Depends | sed 's/([^)]*)//g; s/[,|]/ /g') "
owner() { # the package that holds a library file, trying the /usr-merged spellings of its path
    local path=$1 candidate
    for candidate in "$path" "$(readlink -f "$path")" "${path#/usr}" "/usr$path"; do
        dpkg-query -S "$candidate" 2>/dev/null | head -n 1 | cut -d: -f1 | grep . && return 0
    done
    return 1
}
for program in tavimoro tavimoro-ini; do
    ldd "$root/usr/bin/$program" >"$work/ldd" 2>&1 || fail "ldd usr/bin/$program: $(cat "$work/ldd")"
    for soname in $(objdump -p "$root/usr/bin/$program" | awk '$1 == "NEEDED" {print $2}'); do
        path=$(awk -v so="$soname" '$1 == so && $2 == "=>" && $3 ~ /^\// {print $3}' "$work/ldd")
        [ -n "$path" ] || {
            fail "usr/bin/$program: $soname is not found"
            continue
        }
        package=$(owner "$path") || {
            fail "usr/bin/$program: no package holds $path"
            continue
        }
        case "$depends" in
        *" $package "*) ;;
        *) fail "usr/bin/$program links $soname of $package, which Depends does not name: $(field Depends)" ;;
        esac
    done
done

# --- The desktop entry, its icon at every size, the AppStream data.
entry="$root/usr/share/applications/tavimoro.desktop"
if [ -f "$entry" ]; then
    desktop-file-validate "$entry" || fail "the desktop entry does not validate"
    exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$root/usr/bin/$exec_program" ] || fail "the desktop entry starts '$exec_program', which is not in usr/bin"
    icon=$(sed -n 's/^Icon=//p' "$entry")
else
    fail "usr/share/applications/tavimoro.desktop is missing"
    icon=tavimoro
fi

convert "$source_dir/res/tavimoro.ico[0]" "PNG32:$work/ico32.png" &&
    convert "$source_dir/res/tavimoro.ico[1]" "PNG32:$work/ico16.png" ||
    fail "could not read the program's icon res/tavimoro.ico"
for size in 16 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
    [ -f "$png" ] || {
        fail "no $size-pixel icon $icon.png in the hicolor theme"
        continue
    }
    [ "$(identify -format '%m %wx%h' "$png")" = "PNG ${size}x$size" ] ||
        fail "$png is $(identify -format '%m %wx%h' "$png")"
    # The small ones are the program's own images, the others the same drawing: scaled to 32 pixels, they
    # stay close to it (a mirrored disc is 0.09 away, another picture more than 0.5).
    if [ "$size" -le 32 ]; then
        differing=$(compare -metric AE "$work/ico$size.png" "$png" null: 2>&1)
        [ "$differing" = 0 ] || fail "the $size-pixel icon differs from res/tavimoro.ico in $differing pixels"
    else
        convert "$png" -resize 32x32 "PNG32:$work/scaled.png"
        distance=$(compare -metric RMSE "$work/ico32.png" "$work/scaled.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
        awk -v d="$distance" 'BEGIN { exit !(d < 0.06) }' ||
            fail "the $size-pixel icon is not the program's icon (distance $distance)"
    fi
done

metainfo="$root/usr/share/metainfo/io.github.tavimoro.tavimoro.metainfo.xml"
if [ -f "$metainfo" ]; then
    # The screenshot is a web address that cannot be fetched here.
    appstreamcli validate --no-net --pedantic "$metainfo" >"$work/appstream.log" 2>&1 ||
        fail "the AppStream data does not validate: $(cat "$work/appstream.log")"
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
    [ -f "$root/usr/share/applications/$launchable" ] ||
        fail "the AppStream data launches '$launchable', not installed"
    for binary in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
        [ -x "$root/usr/bin/$binary" ] || fail "the AppStream data provides '$binary', not installed"
    done
    newest=$(grep -m 1 -o '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
    [ "$newest" = "$version" ] || fail "the newest AppStream release is '$newest', the project is $version"
else
    fail "usr/share/metainfo/io.github.tavimoro.tavimoro.metainfo.xml is missing"
fi

# --- The package history (lintian checks the manual pages).
changelog="$root/usr/share/doc/tavimoro/changelog.gz"
if [ -f "$changelog" ]; then
    zcat "$changelog" >"$work/changelog"
    newest=$(dpkg-parsechangelog -l "$work/changelog" -S Version 2>&1)
    [ "$newest" = "$version" ] || fail "the newest changelog entry is '$newest', the project is $version"
else
    fail "usr/share/doc/tavimoro/changelog.gz is missing"
fi

# --- lintian, the check Debian's own packages pass.
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian: $(cat "$work/lintian.log")"

e2e_finish "the package installs and works: $(basename "$deb")"
