#!/usr/bin/env bash
# The program as a screen reader reads it (names.py), on Xvfb with a notification area and a session bus
# of its own, on which the accessibility bus is found.
set -u
if [ -z "${NAMES_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is missing" && exit 77; }
    NAMES_BUS=1 exec dbus-run-session -- bash "$0"
fi
# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
e2e_require Xvfb openbox trayer xdotool xwininfo dbus-send /usr/libexec/at-spi-bus-launcher
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || e2e_require python3-pyatspi
e2e_start_display
e2e_private_user
e2e_machine 2
e2e_program
mkdir -p "$work/game" && printf '[AutoRun]\r\nopen=x\r\n' >"$work/game/AUTORUN.INF"
e2e_insert0 "$work/game" GAME
printf '[Mode]\nstandby=True\n' >"$settings"
start_tray
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
wait_until "no accessibility bus" eval 'dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true'
e2e_start env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
wait_until "the window and its icon did not show" eval 'visible_window && tray_icon >/dev/null'
read -r x y w h < <(geometry "$(tray_icon)")
/usr/bin/python3 "$(dirname "$0")/names.py" "$program_pid" "$(window_id)" $((x + w / 2)) $((y + h / 2)) ||
    fail "names.py found faults"
e2e_finish names "$work/program.log"
