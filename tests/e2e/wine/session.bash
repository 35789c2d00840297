# Shared by the Wine end-to-end scripts (sourced, not run): a display and a throwaway Wine prefix of their
# own, removed again when the script ends, and the helpers the scripts share (folder-backed CD-ROM drives,
# fonts, a system tray, the test driver, the disc programs' records). The first failed check ends the
# script. Sets SOURCE_DIR, WIN_BUILD, ARTIFACT_DIR, WORK, DISPLAY, WINEPREFIX and C (the prefix's
# drive C:).
#
# Environment: TAVIMORO_WIN_BUILD (the Windows build folder), TAVIMORO_SOURCE_DIR (the source tree),
# TAVIMORO_ARTIFACT_DIR (where screenshots go; default: the Windows build folder's "artifacts"),
# TAVIMORO_WINE_PREFIX (a prefix to copy, made by prefix.sh), FILE_EVENTS (tests/tools/file_events).

# Debian's Wine has no preloader, and the kernel puts the loader's heap anywhere in the gigabyte above the
# loader: about one Wine start in four thousand finds the fixed place of the shared user data (0x7ffe0000)
# taken and dies before the program runs, silently under WINEDEBUG=-all. Without address-space
# randomization the heap stays beside the loader, so the script runs again that way, and every Wine
# process it starts with it.
if command -v setarch >/dev/null && ((!(0x$(cat /proc/self/personality) & 0x40000))); then
    exec setarch "$(uname -m)" --addr-no-randomize bash "$0" "$@"
fi

# shellcheck disable=SC2034 # the variables are for the scripts that source this file
SOURCE_DIR=${TAVIMORO_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)}
WIN_BUILD=${TAVIMORO_WIN_BUILD:-$SOURCE_DIR/build/windows}
ARTIFACT_DIR=${TAVIMORO_ARTIFACT_DIR:-$WIN_BUILD/artifacts}

# shellcheck source=../common.bash
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"
e2e_fail_fast=1

# require_files FILE...: the built programs a script needs.
require_files() {
    local f
    for f in "$@"; do
        [ -f "$f" ] || fail "$f is missing: build the Windows programs first (TAVIMORO_WIN_BUILD=$WIN_BUILD)"
    done
}

# wine_session_start: Xvfb on a free display, then a prefix of its own: a copy of TAVIMORO_WINE_PREFIX when
# that names one, else a new one (about 6 s), with the fonts of a Japanese system.
wine_session_start() {
    local tool
    for tool in wine wineserver Xvfb xwininfo import convert xdotool; do
        command -v "$tool" >/dev/null || fail "$tool is not installed"
    done
    WORK=$(mktemp -d /tmp/tavimoro-wine.XXXXXX)
    XVFB_PID=""
    TRAYER_PID=""
    trap wine_session_end EXIT

    e2e_xvfb "$WORK"

    export WINEPREFIX=$WORK/prefix
    export WINEDEBUG=-all
    # winemenubuilder would copy every saved shortcut into the host's menus.
    export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
    if locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
        export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    else
        echo "note: the ja_JP.UTF-8 locale is missing; Japanese text will not render" >&2
    fi

    # shellcheck disable=SC2034 # drive C: of the prefix, for the scripts
    C=$WINEPREFIX/drive_c
    # A test run makes one prefix (prefix.sh) and each script starts from a copy of it.
    if [ -n "${TAVIMORO_WINE_PREFIX:-}" ] && [ -f "$TAVIMORO_WINE_PREFIX/system.reg" ]; then
        cp -a "$TAVIMORO_WINE_PREFIX" "$WINEPREFIX" || fail "could not copy the Wine prefix $TAVIMORO_WINE_PREFIX"
        return 0
    fi
    step "creating a Wine prefix"
    wine wineboot -i >"$WORK/wineboot.log" 2>&1 || fail "wineboot failed (see $WORK/wineboot.log)"
    # wineboot returns while the prefix's set-up still runs; a program started then can fail to start.
    wineserver -w 2>/dev/null || true
    wine_japanese_fonts
}

# wine_program HELPER...: the program in C:\tavi (INI is its settings file, ini_value KEY a value of it)
# and the named helper programs of tests/win32 in C:\tools. RECORDER_EXE, the disc programs' recorder,
# must be there too.
RECORDER_EXE=$WIN_BUILD/tests/win32/recorder.exe
wine_program() {
    local helper
    require_files "$WIN_BUILD/tavimoro.exe" "$RECORDER_EXE"
    mkdir -p "$C/tavi" "$C/tools" "$ARTIFACT_DIR"
    cp "$WIN_BUILD/tavimoro.exe" "$C/tavi/"
    for helper in "$@"; do
        require_files "$WIN_BUILD/tests/win32/$helper.exe"
        cp "$WIN_BUILD/tests/win32/$helper.exe" "$C/tools/"
    done
    INI=$C/tavi/tavimoro.ini
}
ini_value() { sed -n "s/^$1=//p" "$INI" | tr -d '\r'; }

# wine_reg KEY VALUE DATA: sets a registry value of the prefix, logged to reg.log. Starting reg.exe can fail
# while Wine's own services are still starting, so it is tried up to three times.
wine_reg() {
    for _ in 1 2 3; do
        wine reg add "$1" /v "$2" /d "$3" /f >>"$WORK/reg.log" 2>&1 && return 0
        sleep 1
    done
    return 1
}

# wine_cdrom LETTER FOLDER: a CD-ROM drive backed by a folder; wine_drives_reload then makes Wine's mount
# manager read the drive list anew (it reads it when it starts).
wine_cdrom() {
    ln -s "$2" "$WINEPREFIX/dosdevices/$1:"
    wine_reg 'HKLM\Software\Wine\Drives' "$1:" cdrom ||
        fail "could not mark $1: as a CD-ROM drive (see $WORK/reg.log)"
}
wine_drives_reload() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

# wine_ended PID WHAT: waits up to 20 s for the process to end (a Wine process's teardown under a
# loaded machine takes seconds).
wine_ended() {
    wait_until -t 20 "$2" eval "! kill -0 $1 2>/dev/null"
}

# record_field FILE KEY: one line of what the recorder (tests/win32/recorder.exe) wrote, without the line
# end; records_ready FILE: it has written it.
record_field() { sed -n "s/^$2=//p" "$1" | tr -d '\r'; }
record_ready() { [ -s "$1" ]; }

wine_session_end() {
    local status=$?
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    if [ -n "${TRAYER_PID:-}" ]; then kill "$TRAYER_PID" 2>/dev/null || true; fi
    if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    if [ $status -eq 0 ]; then
        rm -rf "$WORK"
    else
        echo "the Wine prefix and logs are kept in $WORK" >&2
    fi
}

# wine_japanese_fonts: fonts as a Japanese system has them. IPA's P Gothic is metric-compatible with the
# labels' font (other Japanese fonts are taller and clip the descenders), IPA's P Mincho stands in for the
# about box's serif face; under a Japanese locale Wine knows them by their Japanese family names. The
# caption's close box needs Wine's own Marlett, which this packaging of Wine does not register in a new
# prefix.
wine_japanese_fonts() {
    local gothic='IPAPGothic' mincho='IPAPMincho' face marlett
    if [[ ${LANG:-} == ja_JP* ]]; then
        gothic='IPA Pゴシック'
        mincho='IPA P明朝'
    fi
    if fc-list 2>/dev/null | grep 'IPAPGothic' >/dev/null; then
        for face in 'ＭＳ Ｐゴシック' 'MS UI Gothic'; do
            wine_reg 'HKCU\Software\Wine\Fonts\Replacements' "$face" "$gothic" ||
                fail "could not set a font replacement (see $WORK/reg.log)"
        done
    else
        echo "note: fonts-ipafont-gothic is missing; the labels' descenders may be clipped" >&2
    fi
    if fc-list 2>/dev/null | grep 'IPAPMincho' >/dev/null; then
        wine_reg 'HKCU\Software\Wine\Fonts\Replacements' 'ＭＳ Ｐ明朝' "$mincho" ||
            fail "could not set a font replacement (see $WORK/reg.log)"
    else
        echo "note: fonts-ipafont-mincho is missing; the about box falls back to another face" >&2
    fi
    for marlett in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf; do
        [ -f "$marlett" ] && cp "$marlett" "$C/windows/Fonts/" && break
    done
    return 0
}

# wine_unmanaged: Wine draws every window's frame itself and never waits for a window manager that is not
# there (each hidden window would otherwise cost a second's wait).
wine_unmanaged() {
    wine_reg 'HKCU\Software\Wine\X11 Driver' Managed N ||
        fail "could not make Wine's windows unmanaged (see $WORK/reg.log)"
}

# tray_start: an XEmbed system tray (trayer) at the top right of the screen, then a restart of Wine so that
# its tray side docks into it. Sets PANEL, the tray's X window.
tray_start() {
    command -v trayer >/dev/null || fail "trayer is not installed"
    trayer --edge top --align right --widthtype pixel --width 200 --heighttype pixel --height 24 \
        >"$WORK/trayer.log" 2>&1 &
    TRAYER_PID=$!
    PANEL=""
    for _ in $(seq 1 50); do
        PANEL=$(xwininfo -root -tree 2>/dev/null | awk '/"panel"/ && !found {print $1; found = 1}')
        [ -n "$PANEL" ] && break
        sleep 0.1
    done
    [ -n "$PANEL" ] || fail "trayer did not start (see $WORK/trayer.log)"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

# tray_icons: how many of Wine's icons are docked in the tray (Wine's tray side runs in explorer.exe).
tray_icons() {
    xwininfo -id "$PANEL" -tree 2>/dev/null | grep -c '"explorer.exe"' || true
}

# tray_wait COUNT: waits up to 20 s for that many docked icons.
tray_wait() {
    for _ in $(seq 1 100); do
        [ "$(tray_icons)" = "$1" ] && return 0
        sleep 0.2
    done
    fail "the tray holds $(tray_icons) icons, not $1"
}

# tray_icon_centre: "X Y" of the first docked icon's centre on the screen.
tray_icon_centre() {
    grep -m1 '"explorer.exe"' <<<"$(xwininfo -id "$PANEL" -tree 2>/dev/null)" |
        sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2 \3 \4/' |
        awk '{print $3 + int($1 / 2), $4 + int($2 / 2)}'
}

# drv ARGS...: the test driver (tests/win32/driver.exe, copied to C:\tools), its output without CRs. Why it
# failed (what an input waited for in vain, say) goes to the script's output as well as driver.log, and a
# failure it gives no reason for is named with its status.
drv() {
    local status
    wine 'C:\tools\driver.exe' "$@" 2>"$WORK/driver.err" | tr -d '\r'
    status=${PIPESTATUS[0]}
    tr -d '\r' <"$WORK/driver.err" | tee -a "$WORK/driver.log" >&2
    [ "$status" = 0 ] || [ -s "$WORK/driver.err" ] || echo "driver $1: status $status" >&2
    return "$status"
}

# expect TEXT...: waits up to 10 s for a driver dump in which each TEXT is part of a line.
expect() {
    local text
    for text in "$@"; do
        drv wait "$text" 10 >"$WORK/dump.txt" || {
            cat "$WORK/dump.txt" >&2
            fail "the window never showed [$text]"
        }
    done
}

# field LINE NAME: a key=value field of a driver line.
field() { sed -nE "s/.*[ ^]$2=([^ ]*).*/\1/p" <<<"$1"; }

# button_handle ROW: the window handle of a row's button, which a rebuild of the rows replaces.
# The whole dump is read before grep: a grep that stops at its first match would end the driver with
# SIGPIPE, which pipefail and set -e turn into a silent end of the script.
button_handle() { field "$(grep -m1 "^button $1 " <<<"$(drv dump)")" handle; }
# rebuilt HANDLE WHAT: waits up to 5 s for row 1's button to be another than HANDLE.
rebuilt() {
    wait_until -t 5 "the rows were not rebuilt after $2" eval "[ \"\$(button_handle 1)\" != '$1' ]"
}
# synced: posts an arrow key, which toggles nothing but rebuilds the rows, and waits for the rebuild:
# every key and message posted to the window before has been handled by then.
synced() {
    local before
    before=$(button_handle 1)
    drv key 0x28 >/dev/null
    rebuilt "$before" "an arrow key"
}
