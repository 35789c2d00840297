# Shared by the Linux and the Wine end-to-end scripts (sourced by tests/e2e/linux/lib.bash and
# tests/e2e/wine/session.bash, not run) and by the package tests: reporting, bounded waits and a display
# of their own.

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
