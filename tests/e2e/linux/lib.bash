# Shared by the Linux end-to-end scripts (sourced, not run): a display with a window manager, a private
# user, a simulated machine for the test build of the program, the program started and watched, and disc
# programs that record how they were started. Creates $work (removed at the end) and keeps the ids of
# what it starts in pids.
#
# Environment: TAVIMORO_E2E (the test build of the program), FILE_EVENTS (tests/tools/file_events).

# shellcheck source=../common.bash
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"

# e2e_require TOOL...: skips the script (status 77) when a tool is missing.
e2e_require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || {
            echo "SKIP: $tool is missing"
            exit 77
        }
    done
}

work=$(mktemp -d)
pids=()
e2e_cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap e2e_cleanup EXIT
trap 'exit 1' INT TERM

# Xvfb at 96 DPI (15 twips a pixel) and a window manager; sets DISPLAY.
e2e_start_display() {
    e2e_xvfb "$work" -dpi 96
    pids+=("$XVFB_PID")
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    wait_until -t 30 "the window manager did not start" eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
}

# e2e_private_user [--no-config]: a private user; sets settings (the program's settings file). The
# settings folder is made unless told not to.
e2e_private_user() {
    export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
    export XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run"
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    [ "${1:-}" = --no-config ] || mkdir -p "$XDG_CONFIG_HOME/tavimoro"
    chmod 700 "$XDG_RUNTIME_DIR"
    # shellcheck disable=SC2034 # for the scripts
    settings="$XDG_CONFIG_HOME/tavimoro/tavimoro.ini"
}

# The test build, named "tavimoro" so that it uses the settings file and title of the shipped one.
e2e_program() {
    mkdir -p "$work/bin"
    ln -s "$TAVIMORO_E2E" "$work/bin/tavimoro"
}
# e2e_start [COMMAND...]: starts the program (through COMMAND, e.g. env with options), its output added
# to $work/program.log; sets program_pid.
program_pid=""
e2e_start() {
    "$@" "$work/bin/tavimoro" >>"$work/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
}
alive() { kill -0 "$program_pid" 2>/dev/null; }
ended() { ! alive; }

# e2e_polls COUNT: waits until the program has read the mount table COUNT more times. A poll reads it
# once, at its start, so after two reads the program has finished a whole poll that began after the call:
# whatever that poll would do is done.
e2e_polls() {
    "${FILE_EVENTS:?FILE_EVENTS must name tests/tools/file_events}" read "$TAVIMORO_TEST_MOUNTINFO" "$1" 10 \
        >/dev/null || fail "the program did not poll the drives $1 times"
}

# e2e_stamp FILE: when FILE was last written (nothing when it is missing); e2e_restamped FILE STAMP:
# FILE is there and was written since. A rebuild of the rows writes each disc's Start-menu entry anew.
e2e_stamp() { stat -c %y "$1" 2>/dev/null; }
e2e_restamped() { [ -n "$(e2e_stamp "$1")" ] && [ "$(e2e_stamp "$1")" != "$2" ]; }

# A value of the settings file.
ini_value() { # section, key
    awk -v s="[$1]" -v k="$2" '
        /^\[/ {inside = ($0 == s)}
        inside && index($0, k "=") == 1 {print substr($0, length(k) + 2)}' "$settings"
}
ini_is() { [ "$(ini_value "$1" "$2")" = "$3" ]; }
expect_ini() { # section, key, value
    ini_is "$@" || fail "[$1] $2 is '$(ini_value "$1" "$2")', expected '$3'"
}

# The simulated machine: a hard disk and COUNT CD-ROM drives sr0.. (D:, E:, ...), all empty.
e2e_machine() { # count
    local machine="$work/machine" n
    export TAVIMORO_TEST_SYSFS="$machine/sys/class/block" TAVIMORO_TEST_UDEV="$machine/run/udev/data"
    export TAVIMORO_TEST_MOUNTINFO="$machine/proc/mountinfo" TAVIMORO_TEST_DEV="$machine/dev"
    mkdir -p "$TAVIMORO_TEST_UDEV" "$TAVIMORO_TEST_DEV" "$(dirname "$TAVIMORO_TEST_MOUNTINFO")"
    e2e_block sda 8:0 0
    for ((n = 0; n < $1; n++)); do e2e_block "sr$n" "11:$n" 5; done
    e2e_root_mount="22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw"
    echo "$e2e_root_mount" >"$TAVIMORO_TEST_MOUNTINFO"
}
e2e_block() { # name, major:minor, SCSI type
    mkdir -p "$TAVIMORO_TEST_SYSFS/$1/device"
    echo "$2" >"$TAVIMORO_TEST_SYSFS/$1/dev"
    echo "$3" >"$TAVIMORO_TEST_SYSFS/$1/device/type"
}
# A disc in drive sr0 (the only one the mount table then shows), as the kernel and udev present it.
e2e_insert0() { # disc folder, label without blanks
    printf 'E:ID_CDROM_MEDIA=1\nE:ID_FS_LABEL_ENC=%s\n' "$2" >"$TAVIMORO_TEST_UDEV/b11:0"
    {
        echo "$e2e_root_mount"
        echo "40 22 11:0 / $(printf '%s' "$1" | sed 's/ /\\040/g') ro,relatime - iso9660 /dev/sr0 ro"
    } >"$TAVIMORO_TEST_MOUNTINFO"
}

# A disc's program that records, under its NAME, its arguments, working folder and each run.
export RECORD_DIR="$work/record"
mkdir -p "$RECORD_DIR"
e2e_recorder() { # path, name
    mkdir -p "$(dirname "$1")"
    cat >"$1" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$@" >"\$RECORD_DIR/$2.args"
pwd >"\$RECORD_DIR/$2.cwd"
echo $2 >>"\$RECORD_DIR/runs"
SCRIPT
    chmod +x "$1"
}
# The names of the programs that ran so far, one a line, and how many ran.
e2e_runs() { cat "$RECORD_DIR/runs" 2>/dev/null; }
e2e_run_count() { e2e_runs | wc -l; }
# A disc's program that records its arguments and working folder (the last run's) and each run, then
# opens the fifo $RECORD_DIR/ran: a test waits for a run by reading it.
mkfifo "$RECORD_DIR/ran"
e2e_signalling_recorder() { # path
    mkdir -p "$(dirname "$1")"
    cat >"$1" <<'SCRIPT'
#!/bin/sh
printf '%s\n' "$@" >"$RECORD_DIR/args"
pwd >"$RECORD_DIR/cwd"
echo run >>"$RECORD_DIR/runs"
: >"$RECORD_DIR/ran"
SCRIPT
    chmod +x "$1"
}

# The program's window: its title is the program's name, or "TVM" without the labels.
window_id() { { xdotool search --onlyvisible --name '^tavimoro$' || xdotool search --onlyvisible --name '^TVM$'; } 2>/dev/null | head -n 1; }
visible_window() { [ -n "$(window_id)" ]; }
# press KEY...: keys on the program's window, brought to the front first.
press() { keys_to "the window" window_id "$@"; }
# picture FILE DOCS-NAME WINDOW...: a crop of the screen around the windows and their frames, with a
# margin, in the working folder (TAVIMORO_SCREENSHOT_DIR) and, with TAVIMORO_UPDATE_DOCS, in docs/.
picture() {
    local file=$1 docs=$2 x0=100000 y0=100000 x1=0 y1=0 x y w h fl fr ft fb id
    shift 2
    for id in "$@"; do
        [ -n "$id" ] || continue
        read -r x y w h < <(geometry "$id")
        read -r fl fr ft fb < <(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)
        x=$((x - ${fl:-0})) y=$((y - ${ft:-0})) w=$((w + ${fl:-0} + ${fr:-0})) h=$((h + ${ft:-0} + ${fb:-0}))
        ((x < x0)) && x0=$x
        ((y < y0)) && y0=$y
        ((x + w > x1)) && x1=$((x + w))
        ((y + h > y1)) && y1=$((y + h))
    done
    ((x0 = x0 > 8 ? x0 - 8 : 0, y0 = y0 > 8 ? y0 - 8 : 0, x1 += 8, y1 += 8))
    import -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage "$work/$file" || fail "no picture $file"
    cp "$work/$file" "${TAVIMORO_SCREENSHOT_DIR:-$PWD}/$file" 2>/dev/null
    if [ -n "${TAVIMORO_UPDATE_DOCS:-}" ] && [ -n "${TAVIMORO_SOURCE_DIR:-}" ]; then
        cp "$work/$file" "$TAVIMORO_SOURCE_DIR/docs/$docs"
    fi
}
# X Y WIDTH HEIGHT of a window's client area; nothing without an id (xwininfo would wait for a click).
geometry() {
    [ -n "$1" ] || return 1
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
# The client size "WxH" of the shown window; "none" without one.
client_size() {
    local size
    size=$(geometry "$(window_id)" | awk '{print $3 "x" $4}')
    echo "${size:-none}"
}
# wait_client WHAT size|width|height OPERATOR VALUE: waits until the shown window's client size ("WxH"),
# width or height compares so with VALUE (an operator of test); the failure names what it last was.
wait_client() {
    local what=$1 field=$2 op=$3 value=$4 seen i
    for ((i = 0; i < 100; i++)); do
        seen=$(client_size)
        case $field in
        width) seen=${seen%x*} ;;
        height) seen=${seen#*x} ;;
        esac
        test "$seen" "$op" "$value" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "$what, got $(client_size)"
    return 1
}
# click_window ID CLICK-ARGUMENTS...: a click at the centre of a window (the tray icon).
click_window() {
    local id=$1 x y w h
    shift
    read -r x y w h < <(geometry "$id") || return 1
    click_at $((x + w / 2)) $((y + h / 2)) "$@"
}
# click_button ROW ROWS CLICK-ARGUMENTS...: a click at the centre of a row's button, measured on the
# window: ROWS square buttons one under the other at its left.
click_button() {
    local row=$1 rows=$2 x y w h side
    shift 2
    read -r x y w h < <(geometry "$(window_id)") || return 1
    side=$((h / rows))
    click_at $((x + side / 2)) $((y + side * (row - 1) + side / 2)) "$@"
}
# A notification area: trayer, an XEmbed tray host, with its panel at the top right, which the window
# manager's work area leaves out; sets trayer_pid.
trayer_pid=""
start_tray() {
    trayer --edge top --align right --widthtype pixel --width 200 --heighttype pixel --height 24 \
        --SetPartialStrut true >/dev/null 2>&1 &
    trayer_pid=$!
    pids+=("$trayer_pid")
    wait_until "the tray host did not start" panel >/dev/null
}
panel() { xdotool search --name '^panel$' 2>/dev/null | head -n 1; }
no_panel() { [ -z "$(panel)" ]; }
# The program's icon: a child window of the panel, about 22 pixels square.
tray_icon() {
    local p
    p=$(panel) && [ -n "$p" ] || return 1
    xwininfo -id "$p" -children 2>/dev/null | awk '$1 ~ /^0x/ && match($0, /[0-9]+x[0-9]+\+/) {
        split(substr($0, RSTART, RLENGTH - 1), s, "x"); if (s[1] >= 16 && s[2] >= 16) {print $1; exit}}' | grep .
}
no_tray_icon() { ! tray_icon >/dev/null; }

# e2e_udisks [PARAMETERS]: a stand-in UDisks2 (tests/linux/udisks2_template.py, with the template's JSON
# PARAMETERS) on a private system bus, the calls it takes logged in $work/udisks.log.
e2e_udisks() {
    local bus
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || fail "no private system bus"
    export DBUS_SYSTEM_BUS_ADDRESS=${bus%%$'\n'*}
    pids+=("${bus##*$'\n'}")
    /usr/bin/python3 -m dbusmock -t "${TAVIMORO_SOURCE_DIR:?}/tests/linux/udisks2_template.py" \
        -p "${1:-{\}}" -l "$work/udisks.log" >>"$work/udisks.out" 2>&1 &
    pids+=("$!")
    # It answers no call before its objects are there: its name on the bus is enough to wait for.
    wait_until "the stand-in UDisks2 did not start" eval 'dbus-send --bus="$DBUS_SYSTEM_BUS_ADDRESS" \
        --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        string:org.freedesktop.UDisks2 2>/dev/null | grep -q true'
}
# udisks_calls: the mounts, attachments and ejects the stand-in took, in order, on one line; one it
# refused is marked "!".
udisks_calls() {
    awk '$3 == "raised:" { out = out "!"; next }
        $2 ~ /^(LoopSetup|Mount|Unmount|Eject|Delete)$/ { out = out sep $2; sep = " " }
        END { print out }' "$work/udisks.log" 2>/dev/null
}
