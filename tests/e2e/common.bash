# Shared by the Linux and the Wine end-to-end scripts (sourced by tests/e2e/linux/lib.bash and
# tests/e2e/wine/session.bash, not run) and by the package tests: reporting, bounded waits, keys that
# wait for their window, and a display of their own.

# fail TEXT: reports a failed check. The Linux scripts go on and report the count at the end
# (e2e_finish); with e2e_fail_fast set (the Wine scripts) the first failure ends the script.
failures=0
e2e_fail_fast=""
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
    [ -z "$e2e_fail_fast" ] || exit 1
    return 0
}
step() { echo "--- $*"; }

# wait_until [-t SECONDS] DESCRIPTION COMMAND...: waits (10 s unless told, so that a broken build cannot
# hang the test) until the command succeeds; fails with the description when it never does.
wait_until() {
    local tries=100 what i
    if [ "$1" = -t ]; then
        tries=$(($2 * 10))
        shift 2
    fi
    what=$1
    shift
    for ((i = 0; i < tries; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    fail "$what"
    return 1
}

# click_at X Y CLICK-ARGUMENTS...: as a person clicks: the pointer comes from elsewhere onto X,Y (screen
# coordinates), then the button goes down.
click_at() {
    local x=$1 y=$2
    shift 2
    xdotool mousemove $((x > 40 ? x - 40 : x + 40)) "$y" mousemove "$x" "$y" click "$@"
}

# keys_missing WINDOW: what keeps an X window from taking keys, nothing when it can take them. A pop-up
# menu (override-redirect) takes the keyboard by its grab once it is mapped; any other window must be
# mapped and hold the input focus. A mapped window without the focus is activated, as a click would.
keys_missing() {
    local id=$1 info
    [ -n "$id" ] || {
        echo "is not there"
        return
    }
    info=$(xwininfo -id "$id" 2>/dev/null) || {
        echo "is gone"
        return
    }
    grep -q 'Map State: IsViewable' <<<"$info" || {
        echo "is not mapped"
        return
    }
    grep -q 'Override Redirect State: yes' <<<"$info" && return
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$((id))" ] && return
    xdotool windowactivate "$id" >/dev/null 2>&1
    echo "does not hold the focus"
}

# popup_menu [PID]: the open pop-up menu of process PID ($program_pid unless told): a top-level window of
# its own that the window manager does not frame (a tray icon's window is one too, but it lives in the
# panel).
popup_menu() {
    local w
    for w in $(xdotool search --onlyvisible --pid "${1:-$program_pid}" 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' &&
            xwininfo -id "$w" -tree 2>/dev/null | grep -q 'Parent window id: .*(the root window)' && {
            echo "$w"
            return 0
        }
    done
    return 1
}

# keys_to NAME FINDER KEY...: each KEY (an xdotool key; down:KEY and up:KEY press or release it alone)
# to the X window that FINDER (a command and its words, in one string) prints, once that window can take
# it (keys_missing). Waits up to 10 s for that before each key, then fails naming what was missing.
keys_to() {
    local name=$1 finder=$2 key missing i
    shift 2
    for key in "$@"; do
        for ((i = 0; i < 100; i++)); do
            # shellcheck disable=SC2086 # the finder's words
            missing=$(keys_missing "$($finder)")
            [ -z "$missing" ] && break
            sleep 0.1
        done
        if [ -n "$missing" ]; then
            fail "[$key] was not sent: $name $missing"
            return 1
        fi
        case $key in
        down:*) xdotool keydown "${key#down:}" ;;
        up:*) xdotool keyup "${key#up:}" ;;
        *) xdotool key --clearmodifiers "$key" ;;
        esac
    done
}

# e2e_xvfb FOLDER [XVFB OPTIONS...]: Xvfb on a free display, 1024x768; sets DISPLAY and XVFB_PID. Xvfb
# picks the display number and writes it to fd 3.
e2e_xvfb() {
    local folder=$1
    shift
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp "$@" 3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$folder/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$folder/display" ]; then
        echo "Xvfb did not start (see $folder/xvfb.log)" >&2
        exit 1
    fi
    DISPLAY=":$(head -n 1 "$folder/display")"
    export DISPLAY
}

# e2e_finish NAME [LOG...]: the end of a script: with failed checks, shows the logs and ends with status 1.
e2e_finish() {
    local name=$1 log
    shift
    if [ "$failures" -ne 0 ]; then
        for log in "$@"; do
            echo "--- $log" >&2
            cat "$log" >&2
        done
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "$name: all checks passed"
}
