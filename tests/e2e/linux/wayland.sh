#!/usr/bin/env bash
# The program on Wayland with no X server: headless sway, swaybar as a StatusNotifierItem host started
# after the program, stopped and started again. The rows, the placement kept where the compositor places
# the window, a resident start that waits in view until the bar's item is there, Activate, the item's
# exported menu (its layout, a drive item, Open, Exit), closing with no host told once through a
# notification, and second starts that bring the window forward. Leaves the desktop as a picture (in
# docs/ when asked).
set -u

: "${TAVIMORO_E2E:?TAVIMORO_E2E must name the test build of the program}"
for tool in sway swaybar swaymsg grim busctl dbus-run-session jq; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing" && exit 77; }
done

# sway refuses root: the desktop runs as "nobody" on a session bus of its own, from copies that nobody can
# read wherever the checkout is.
if [ -z "${TAVIMORO_WAYLAND_DESKTOP:-}" ]; then
    copy=$(mktemp -d)
    cp -r "$(dirname "$0")/.." "$copy/e2e" && cp "$TAVIMORO_E2E" "$copy/tavimoro-e2e"
    chmod -R a+rX "$copy" && mkdir -m 777 "$copy/out"
    as=()
    [ "$(id -u)" != 0 ] || as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    TAVIMORO_WAYLAND_DESKTOP=1 TAVIMORO_E2E="$copy/tavimoro-e2e" "${as[@]}" \
        dbus-run-session -- bash "$copy/e2e/linux/wayland.sh"
    status=$?
    [ -z "${TAVIMORO_UPDATE_DOCS:-}" ] || cp "$copy/out/wayland.png" "$TAVIMORO_SOURCE_DIR/docs/screenshot-linux-wayland.png"
    rm -rf "$copy"
    exit $status
fi

# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
unset DISPLAY QT_QPA_PLATFORM
e2e_private_user
e2e_machine 2
e2e_program
export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman XDG_SESSION_TYPE=wayland
# The bar, the desktop's StatusNotifierItem host, starts only when the test says so, as a bar started
# after the program would; its process id is kept to stop it.
cat >"$work/bar.sh" <<BAR
#!/bin/sh
while [ ! -e "$work/bar-go" ]; do sleep 0.1; done
echo \$\$ >"$work/bar.pid"
exec swaybar "\$@"
BAR
chmod +x "$work/bar.sh"
printf 'output HEADLESS-1 resolution 1024x768\nbar {\n    id main\n    swaybar_command %s\n    tray_output *\n}\n' \
    "$work/bar.sh" >"$work/sway.conf"
sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
wait_until "sway did not start" eval 'ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock >/dev/null 2>&1'
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-[0-9] | head -n 1)
export SWAYSOCK WAYLAND_DISPLAY
watcher=(busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher)
tray_host() { "${watcher[@]}" IsStatusNotifierHostRegistered 2>/dev/null | grep -q true; }
# A notification service that records what it is asked to show.
/usr/bin/python3 -m dbusmock --session --template notification_daemon -l "$work/notifications.log" \
    >/dev/null 2>&1 &
pids+=($!)
wait_until "the notification service did not start" busctl --user status org.freedesktop.Notifications
notices() { grep -c ' Notify ' "$work/notifications.log"; }

# A field of the program's window as sway sees it (a jq path, e.g. .visible).
node() { swaymsg -t get_tree | jq -r "[recurse(.nodes[]?, .floating_nodes[]?) | select(.app_id == \"tavimoro\")][0] | $1 // empty"; }
shown() { [ "$(node .visible)" = true ]; }
close_window() { swaymsg "[app_id=tavimoro] kill" >/dev/null; }

game="$work/discs/game"
e2e_recorder "$game/setup.sh" game
printf '[AutoRun]\r\nopen=setup.sh\r\n' >"$game/AUTORUN.INF"
e2e_insert0 "$game" GAME
printf '[Window]\nfrm_main_Left=3000\nfrm_main_Top=2250\n' >"$settings"

step "the rows, on Wayland"
e2e_start
wait_until "no window came up" shown
[ "$(node '"\(.window_rect.width)x\(.window_rect.height)"')" = 133x98 ] ||
    fail "two rows should be 133x98 px, as on X11; got $(node '"\(.window_rect.width)x\(.window_rect.height)"')"
close_window
wait_until "the window did not close" ended
# The compositor placed the window and never said where: the saved place stays.
expect_ini Window frm_main_Left 3000
expect_ini Window frm_main_Top 2250

step "a resident start before the bar: the window waits in view, then the item comes and it hides"
printf '[Mode]\nstandby=True\nStartMode=True\n' >>"$settings"
e2e_start
wait_until "a resident start with no host did not show its window" shown
touch "$work/bar-go"
wait_until "swaybar did not become a tray host" tray_host
find_item() { "${watcher[@]}" RegisteredStatusNotifierItems | grep -q ':[0-9.]*/StatusNotifierItem'; }
wait_until "no tray item was registered once the bar came" find_item
service=$("${watcher[@]}" RegisteredStatusNotifierItems | grep -o ':[0-9.]*/StatusNotifierItem' | cut -d/ -f1)
wait_until "the waiting window did not hide once its item was there" eval '! shown'
busctl --user call "$service" /StatusNotifierItem org.kde.StatusNotifierItem Activate ii 10 10
wait_until "Activate did not show the window" shown
grim "$work/wayland.png" && cp "$work/wayland.png" "$(dirname "$0")/../../out/"
close_window
wait_until "closing a resident window did not hide it" eval '! shown'

menu=$(busctl --user get-property "$service" /StatusNotifierItem org.kde.StatusNotifierItem Menu | cut -d'"' -f2)
layout() { busctl --user --json=short call -- "$service" "$menu" com.canonical.dbusmenu GetLayout iias 0 -1 0; }
# Chooses the exported item labelled $1, as the host does on a click.
choose() {
    local id
    id=$(layout | jq -r --arg wanted "$1" '.data[1] | [recurse(.[2][]?.data? // empty)] |
        map(select(.[1].label.data == $wanted))[0][0] // empty')
    [ -n "$id" ] || { fail "the exported menu ($menu) has no \"$1\": $(layout)" && return 1; }
    busctl --user call "$service" "$menu" com.canonical.dbusmenu Event isvu "$id" clicked s "" 0
}
choose "(D:) GAME"
wait_until "the drive item did not launch the disc's program" eval '[ "$(e2e_runs)" = game ]'
choose "開く(_O)"
wait_until "Open did not show the window" shown

step "the bar stops: closing hides the window and says once how to get it back; a second start does"
kill "$(cat "$work/bar.pid")"
wait_until "the stopped bar's watcher stayed on the bus" eval '! busctl --user status org.kde.StatusNotifierWatcher'
for attempt in 1 2; do
    XDG_ACTIVATION_TOKEN=not-a-real-token "$work/bin/tavimoro" >>"$work/program.log" 2>&1 ||
        fail "the second start ended with status $?"
    wait_until "a second start did not bring the window forward" shown
    close_window
    wait_until "closing with no host did not hide the window" eval '! shown'
    wait_until "closing with no host: $(notices) notifications, not one" eval '[ "$(notices)" = 1 ]'
done
alive || fail "closing with no host ended the program"

step "the bar comes back: the item is there again, its menu works"
swaybar -b main >>"$work/sway.log" 2>&1 &
pids+=($!)
wait_until "the item did not come back with the bar" find_item
service=$("${watcher[@]}" RegisteredStatusNotifierItems | grep -o ':[0-9.]*/StatusNotifierItem' | cut -d/ -f1)
choose "終了(_X)"
wait_until "Exit did not end the program" ended
e2e_finish wayland "$work/program.log" "$work/sway.log"
