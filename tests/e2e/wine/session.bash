# Shared by the Wine end-to-end scripts (sourced, not run): a display and a throwaway Wine prefix of their
# own, removed again when the script ends. Sets SOURCE_DIR, WIN_BUILD, ARTIFACT_DIR, WORK, DISPLAY,
# WINEPREFIX and C (the prefix's drive C:).
#
# Environment: TAVIMORO_WIN_BUILD (the Windows build folder), TAVIMORO_SOURCE_DIR (the source tree),
# TAVIMORO_ARTIFACT_DIR (where screenshots go; default: the Windows build folder's "artifacts").

# shellcheck disable=SC2034 # the variables are for the scripts that source this file
SOURCE_DIR=${TAVIMORO_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)}
WIN_BUILD=${TAVIMORO_WIN_BUILD:-$SOURCE_DIR/build/windows}
ARTIFACT_DIR=${TAVIMORO_ARTIFACT_DIR:-$WIN_BUILD/artifacts}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $*"; }

# require_files FILE...: the built programs a script needs.
require_files() {
    local f
    for f in "$@"; do
        [ -f "$f" ] || fail "$f is missing: build the Windows programs first (TAVIMORO_WIN_BUILD=$WIN_BUILD)"
    done
}

# wine_session_start: Xvfb on a free display, then a fresh prefix (about 6 s).
wine_session_start() {
    local tool
    for tool in wine wineserver Xvfb xwininfo import xdotool; do
        command -v "$tool" >/dev/null || fail "$tool is not installed"
    done
    WORK=$(mktemp -d /tmp/tavimoro-wine.XXXXXX)
    XVFB_PID=""
    trap wine_session_end EXIT

    # Xvfb picks a free display number and writes it to fd 3.
    exec 3>"$WORK/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 3>&-
    for _ in $(seq 1 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start (see $WORK/xvfb.log)"
    DISPLAY=":$(head -n1 "$WORK/display")"
    export DISPLAY

    export WINEPREFIX=$WORK/prefix
    export WINEDEBUG=-all
    # winemenubuilder would copy every saved shortcut into the host's menus.
    export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
    if locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
        export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    else
        echo "note: the ja_JP.UTF-8 locale is missing; Japanese text will not render" >&2
    fi

    step "creating a Wine prefix"
    wine wineboot -i >"$WORK/wineboot.log" 2>&1 || fail "wineboot failed (see $WORK/wineboot.log)"
    # shellcheck disable=SC2034 # drive C: of the prefix, for the scripts
    C=$WINEPREFIX/drive_c
}

wine_session_end() {
    local status=$?
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    if [ $status -eq 0 ]; then
        rm -rf "$WORK"
    else
        echo "the Wine prefix and logs are kept in $WORK" >&2
    fi
}
