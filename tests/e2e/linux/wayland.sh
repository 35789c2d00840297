#!/usr/bin/env bash
# The program on a Wayland desktop with no X server: headless sway, with swaybar as a StatusNotifierItem
# host. The rows of two drives; the placement kept where the compositor places the window; a resident
# start that registers a tray item; Activate shows the window; the item's exported menu (its layout, a
# drive item that launches, Open, Exit); a second start that brings the first one's window forward.
# Leaves the window as a picture in the working folder (and, when asked, in docs/).
set -u

: "${TAVIMORO_E2E:?TAVIMORO_E2E must name the test build of the program}"
for tool in sway swaybar swaymsg grim busctl dbus-run-session jq; do
    command -v "$tool" >/dev/null || {
        echo "SKIP: $tool is missing"
        exit 77
    }
done
[ -n "$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' -print -quit 2>/dev/null)" ] || {
    echo "SKIP: Qt's Wayland platform (qt6-wayland) is missing"
    exit 77
}

# sway refuses root: the desktop runs as "nobody", on a session bus of its own, from copies of the
# scripts and the program that nobody can read wherever the checkout lives.
if [ -z "${TAVIMORO_WAYLAND_DESKTOP:-}" ]; then
    copy=$(mktemp -d)
    chmod 755 "$copy"
    cp -r "$(dirname "$0")/.." "$copy/e2e"
    cp "$TAVIMORO_E2E" "$copy/tavimoro-e2e"
    chmod -R a+rX "$copy"
    mkdir -m 777 "$copy/out"
    as=()
    [ "$(id -u)" != 0 ] || as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    TAVIMORO_WAYLAND_DESKTOP=1 TAVIMORO_E2E="$copy/tavimoro-e2e" "${as[@]}" \
        dbus-run-session -- bash "$copy/e2e/linux/wayland.sh"
    status=$?
    [ -z "${TAVIMORO_UPDATE_DOCS:-}" ] || [ ! -f "$copy/out/wayland.png" ] ||
        cp "$copy/out/wayland.png" "$TAVIMORO_SOURCE_DIR/docs/screenshot-linux-wayland.png"
    rm -rf "$copy"
    exit $status
fi

# shellcheck source=lib.bash
source "$(dirname "$0")/lib.bash"
unset DISPLAY QT_QPA_PLATFORM
e2e_private_user
e2e_machine 2
e2e_program

# ---- The desktop.
export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman XDG_SESSION_TYPE=wayland
cat >"$work/sway.conf" <<'CONF'
output HEADLESS-1 resolution 1024x768
bar {
    tray_output *
}
CONF
sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
pids+=($!)
wait_until "sway did not start" eval 'ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock >/dev/null 2>&1'
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-[0-9] | head -n 1)
export SWAYSOCK WAYLAND_DISPLAY
watcher=(busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher
    org.kde.StatusNotifierWatcher)
wait_until "swaybar did not become a tray host" eval '"${watcher[@]}" IsStatusNotifierHostRegistered | grep -q true'

# ---- The program's window as sway sees it.
# A field of the program's window (a jq path below the node, e.g. .visible), or nothing without one.
node() { swaymsg -t get_tree | jq -r "[recurse(.nodes[]?, .floating_nodes[]?) | select(.app_id == \"tavimoro\")][0] | $1 // empty"; }
shown() { [ "$(node .visible)" = true ]; }
hidden() { ! shown; }
finish() {
    alive && kill "$program_pid"
    wait "$program_pid" 2>/dev/null
}

# ---- Two drives, an autorun disc in D:; the window shows their rows natively, with no X server.
game="$work/discs/game"
e2e_recorder "$game/setup.sh" game
printf '[AutoRun]\r\nopen=setup.sh\r\n' >"$game/AUTORUN.INF"
e2e_insert0 "$game" GAME
printf '[Window]\nfrm_main_Left=3000\nfrm_main_Top=2250\n' >"$settings"

step "the rows, on Wayland"
e2e_start
wait_until "no window came up" shown
# Two rows at 96 DPI: the layout of the X11 build, the labels as wide as "GAME" and "(E:)" need.
read -r width height < <(node '"\(.window_rect.width) \(.window_rect.height)"')
[ "${height:-0}" -eq 98 ] || fail "two rows should be 98 px high, got ${height:-none}"
[ "${width:-0}" -ge 133 ] || fail "the window should be at least 133 px wide, got ${width:-none}"
grep -q "xcb" "$work/program.log" && fail "the program tried X: $(grep xcb "$work/program.log")"
swaymsg "[app_id=tavimoro] kill" >/dev/null
wait_until "the window did not close" ended
expect_ini Window frm_main_Left 3000
expect_ini Window frm_main_Top 2250

# ---- A resident start: a tray item and no window.
step "the tray item and its menu"
printf '[Mode]\nstandby=True\nStartMode=True\n' >>"$settings"
e2e_start
item=""
find_item() {
    item=$("${watcher[@]}" RegisteredStatusNotifierItems | grep -o ':[0-9.]*/StatusNotifierItem' | head -n 1)
    [ -n "$item" ]
}
wait_until "no tray item was registered" find_item
service=${item%%/*}
hidden || fail "a resident start showed its window"
busctl --user call "$service" /StatusNotifierItem org.kde.StatusNotifierItem Activate ii 10 10 ||
    fail "Activate was refused"
wait_until "Activate did not show the window" shown
# The window, and the icon in the bar.
grim "$work/wayland.png" || fail "no screenshot"
cp "$work/wayland.png" "$(dirname "$0")/../../out/" 2>/dev/null
swaymsg "[app_id=tavimoro] kill" >/dev/null
wait_until "closing a resident window did not hide it" hidden

menu=$(busctl --user get-property "$service" /StatusNotifierItem org.kde.StatusNotifierItem Menu | awk '{print $2}' | tr -d '"')
[ -n "$menu" ] && [ "$menu" != /NO_DBUSMENU ] || fail "the item exports no menu ($menu)"
layout() { busctl --user --json=short call -- "$service" "$menu" com.canonical.dbusmenu GetLayout iias 0 -1 0; }
# The id of the exported item whose label is $1.
item_id() {
    layout | jq -r --arg wanted "$1" '.data[1] | [recurse(.[2][]?.data? // empty)] |
        map(select(.[1].label.data == $wanted))[0][0] // empty'
}
choose() {
    local id
    id=$(item_id "$1")
    [ -n "$id" ] || {
        fail "the menu has no \"$1\": $(layout)"
        return 1
    }
    busctl --user call "$service" "$menu" com.canonical.dbusmenu Event isvu "$id" clicked s "" 0
}
for label in "(D:) GAME" "開く(_O)" "終了(_X)"; do
    [ -n "$(item_id "$label")" ] || fail "the menu lacks \"$label\": $(layout)"
done
choose "(D:) GAME"
wait_until "the drive item did not launch the disc's program" eval '[ "$(e2e_runs)" = game ]'
choose "開く(_O)"
wait_until "Open did not show the window" shown

# ---- A second start: it ends, and the first instance's window comes forward.
step "a second start"
swaymsg "[app_id=tavimoro] kill" >/dev/null
wait_until "the window did not hide" hidden
first=$program_pid
XDG_ACTIVATION_TOKEN=not-a-real-token "$work/bin/tavimoro" >>"$work/program.log" 2>&1 ||
    fail "the second start ended with status $?"
program_pid=$first
wait_until "a second start did not bring the window forward" shown
alive || fail "the first instance ended"

choose "終了(_X)"
wait_until "Exit did not end the program" ended
e2e_finish wayland "$work/program.log" "$work/sway.log"
