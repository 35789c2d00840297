#!/usr/bin/env bash
# The program as a screen reader reads it: on Xvfb with a notification area and an accessibility bus of
# its own, names.py walks the drive window, the icon's tip and pop-up menu, the context menu and dialogs.
set -u

: "${TAVIMORO_E2E:?TAVIMORO_E2E must name the test build of the program}"
# The accessibility bus is found through the session bus: a private one, with the script inside it.
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
mkdir -p "$work/game"
printf '[AutoRun]\r\nopen=setup.sh\r\n' >"$work/game/AUTORUN.INF"
e2e_insert0 "$work/game" GAME
printf '[Mode]\nstandby=True\n[CD]\nDrive_D=True\nDrive_E=True\n' >"$settings"

start_tray
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
wait_until "the accessibility bus did not start" eval 'dbus-send --session --print-reply --dest=org.freedesktop.DBus \
    / org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q true'
e2e_start env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
wait_until "the window is not shown" visible_window
wait_until "the icon did not appear in the panel" tray_icon >/dev/null
read -r x y w h < <(geometry "$(tray_icon)")
/usr/bin/python3 "$(dirname "$0")/names.py" "$program_pid" "$(window_id)" $((x + w / 2)) $((y + h / 2)) ||
    fail "the walk of the accessible tree failed"

e2e_finish names "$work/program.log"
