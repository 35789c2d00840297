#!/usr/bin/env bash
# The Linux start against its floor, on Xvfb with openbox and an XEmbed tray (trayer): wall time from
# the start to the window shown and to the icon docked, for Tavimoro (resident), for bare_tray (a bare
# Qt tool window with a tray icon) and for bare_text (the same showing a line of the program's text).
# Prints "key value" lines, medians over ROUNDS starts each, in ms; "first" is the share of starts whose
# icon came no later than the window. Run it on a session bus.
#   bench/linux_start.sh [ROUNDS]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
LINUX=${TAVIMORO_LINUX_BUILD:-$ROOT/build/linux}
source "$ROOT/tests/e2e/common.bash"
work=$(mktemp -d)
e2e_xvfb "$work" -dpi 96
openbox --sm-disable >/dev/null 2>&1 & wm=$!
trayer --edge top --align right --widthtype pixel --width 200 --heighttype pixel --height 24 >/dev/null 2>&1 &
tray=$!
stdbuf -oL xev -root -event substructure 2>/dev/null > >(python3 -u -c 'import sys, time
for line in sys.stdin: print("%.6f" % time.time(), line, end="")' >"$work/xev.txt") &
xev=$!
trap 'kill $xev $tray $wm $XVFB_PID; wait; rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work XDG_DATA_HOME=$work XDG_CACHE_HOME=$work XDG_RUNTIME_DIR=$work
mkdir -p "$work/tavimoro" && printf '[Mode]\nstandby=True\n' >"$work/tavimoro/tavimoro.ini"
panel() { xdotool search --name '^panel$' 2>/dev/null | head -n 1; }
wait_until "no tray" eval '[ -n "$(panel)" ]'
# An icon docked in the panel (without an id xwininfo would wait for a click).
docked() { p=$(panel) && [ -n "$p" ] && xwininfo -id "$p" -children | grep -Eq '(1[6-9]|2[0-9])x(1[6-9]|2[0-9])\+'; }
window() { xdotool search --onlyvisible --name '^(bare|tavimoro)$' 2>/dev/null | head -n 1; }
for ((round = 0; round < ${1:-7}; round++)); do
    for name in bare_tray bare_text tavimoro; do
        begun=$EPOCHREALTIME
        text=() && [ $name = bare_text ] && text=('ソフトウェア集 (M:)')
        "$LINUX/${name/text/tray}" "${text[@]}" >/dev/null 2>&1 &
        wait_until -t 20 "$name showed no window" eval '[ -n "$(window)" ]'
        wait_until -t 20 "$name docked no icon" docked
        id=$(printf '0x%x' "$(window)")
        kill $! && wait $! 2>/dev/null || true
        wait_until "the icon stayed docked" eval '! docked'
        # From xev's stamps (nothing polls the display): the window's frame (its new parent) mapped,
        # and the other window made since the start reparented (the icon); $5 is an event's window.
        awk -v begun="${begun/,/.}" -v id="$id" -v name="${name%_tray}" '
            $1 < begun { next }
            { gsub(",", "") }
            $3 == "event" { kind = $2; next }
            kind == "CreateNotify" { made[$5] = 1 }
            kind == "ReparentNotify" && $5 == id { frame = $7 }
            kind == "ReparentNotify" && $5 != id && made[$5] && icon == "" { icon = $1 }
            kind == "MapNotify" && $5 == frame && window == "" { window = $1 }
            { kind = "" }
            END { printf "%s %d %d\n", name, (window - begun) * 1000, (icon - begun) * 1000 }' "$work/xev.txt"
    done
done | awk '
    { window[$1] = window[$1] " " $2; icon[$1] = icon[$1] " " $3; first[$1] += ($3 <= $2); n[$1]++ }
    function median(list,   v, k, i, j, t) {
        k = split(list, v, " ")
        for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
        return v[int((k + 1) / 2)]
    }
    END { for (p in n) printf "%s_window_ms %d\n%s_icon_ms %d\n%s_icon_first %.2f\n", p, median(window[p]), p, median(icon[p]), p, first[p] / n[p] }'
