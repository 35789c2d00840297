#!/usr/bin/env bash
# The Linux start against its floor, on Xvfb with openbox and an XEmbed tray (trayer): wall time from
# the start to the window shown and to the icon docked, for Tavimoro (resident, its window shown at the
# start) and for bare_tray (a bare Qt tool window with a tray icon). Prints "key value" lines, medians
# over ROUNDS starts each, in ms; "first" is the share of starts whose icon came no later than the window.
#   bench/linux_start.sh [ROUNDS]
set -euo pipefail
ROUNDS=${1:-7}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
LINUX=${TAVIMORO_LINUX_BUILD:-$ROOT/build/linux}
source "$ROOT/tests/e2e/common.bash"
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
e2e_xvfb "$work" -dpi 96
pids+=("$XVFB_PID")
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/tavimoro" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[Mode]\nstandby=True\n' >"$XDG_CONFIG_HOME/tavimoro/tavimoro.ini"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
trayer --edge top --align right --widthtype pixel --width 200 --heighttype pixel --height 24 >/dev/null 2>&1 &
pids+=($!)
panel() { xdotool search --name '^panel$' 2>/dev/null | head -n 1; }
wait_until "no tray" eval '[ -n "$(panel)" ]'
# An icon docked in the panel (without an id xwininfo would wait for a click).
docked() {
    local p
    p=$(panel) && [ -n "$p" ] && xwininfo -id "$p" -children | grep -Eq '(1[6-9]|2[0-9])x(1[6-9]|2[0-9])\+'
}
since() { echo $((($(date +%s%N) - $1) / 1000000)); }

start() { # name title command...: one start, "NAME WINDOW_MS ICON_MS"
    local name=$1 title=$2 begun window="" icon="" pid
    shift 2
    begun=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    pid=$!
    while { [ -z "$window" ] || [ -z "$icon" ]; } && [ "$(since "$begun")" -lt 20000 ]; do
        [ -n "$window" ] || ! xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 || window=$(since "$begun")
        [ -n "$icon" ] || ! docked || icon=$(since "$begun")
    done
    kill "$pid" && wait "$pid" 2>/dev/null || true
    wait_until "the icon stayed docked" eval '! docked'
    [ -n "$window" ] && [ -n "$icon" ] && echo "$name $window $icon"
}
for ((round = 0; round < ROUNDS; round++)); do
    start bare bare "$LINUX/bare_tray"
    start tavimoro tavimoro "$LINUX/tavimoro"
done | awk '
    { window[$1] = window[$1] " " $2; icon[$1] = icon[$1] " " $3; first[$1] += ($3 <= $2); n[$1]++ }
    function median(list,   v, k, i, j, t) {
        k = split(list, v, " ")
        for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
        return v[int((k + 1) / 2)]
    }
    END { for (p in n) printf "%s_window_ms %d\n%s_icon_ms %d\n%s_icon_first %.2f\n", p, median(window[p]), p, median(icon[p]), p, first[p] / n[p] }'
