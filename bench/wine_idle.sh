#!/usr/bin/env bash
# The Windows build at rest under Wine, against its floor: an idle Tavimoro polling four CD-ROM drives
# with autorun discs once a second (RefreshTimer=1000), and bench/win32/bare_labels.exe, a bare window reading the same
# four labels once a second. Each runs alone in one prefix, after a warm-up; counted over the same
# span: the context switches of its process (every thread, from /proc) and of the prefix's wineserver,
# and the system calls of its process (strace -c -f, in a second span of its own). Then how soon a disc
# put into M: reaches its row after the system's news of it (WM_DEVICECHANGE, broadcast by
# tests/win32/devicechange.exe, which waits for the row): 6 swaps, with RefreshTimer=60000 so that no
# tick can update the row first while Wine starts the helper.
#   bench/wine_idle.sh [SECONDS]      (default 20 a span; needs build/windows)
# First, ROUNDS starts of each program in turn (default 5), both resident with an icon in the notification
# area: the time from Wine's loader mapping its image to its window mapped on the display (the MapNotify
# xev sees on the root window), and the PSS and RSS of its process 5 s later; medians ("rows": with rows).
#   bench/wine_idle.sh [SECONDS [ROUNDS]]   (SECONDS 0: the starts only)
# Prints "key value" lines; the ratios are Tavimoro's figures over the bare program's.
set -euo pipefail
SPAN=${1:-20}
ROUNDS=${2:-5}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export TAVIMORO_SOURCE_DIR=$ROOT TAVIMORO_WIN_BUILD=${TAVIMORO_WIN_BUILD:-$ROOT/build/windows}
# shellcheck source=../tests/e2e/wine/session.bash
source "$ROOT/tests/e2e/wine/session.bash"
require_files "$WIN_BUILD/tavimoro.exe" "$WIN_BUILD/bare_labels.exe" "$WIN_BUILD/tests/win32/mountdrive.exe" \
    "$WIN_BUILD/tests/win32/devicechange.exe"
command -v strace >/dev/null || fail "strace is not installed"
wine_session_start >&2

mkdir -p "$C/tavi" "$C/bare"
cp "$WIN_BUILD/tavimoro.exe" "$C/tavi/"
cp "$WIN_BUILD/bare_labels.exe" "$C/bare/"
mkdir -p "$C/tools"
cp "$WIN_BUILD/tests/win32/mountdrive.exe" "$WIN_BUILD/tests/win32/devicechange.exe" "$C/tools/"
{
    printf '[Status]\r\nRefreshTimer=1000\r\nChangeTimer=1000\r\n[CD]\r\n'
    for letter in M N O P; do printf 'Drive_%s=True\r\n' "$letter"; done
} >"$C/tavi/tavimoro.ini"
for letter in m n o p; do
    mkdir -p "$WORK/discs/$letter"
    printf 'DISC_%s\n' "$letter" >"$WORK/discs/$letter/.windows-label"
    mkdir -p "$WORK/discs/alt_$letter"
    printf 'ALT_%s\n' "$letter" >"$WORK/discs/alt_$letter/.windows-label"
    printf '[AutoRun]\r\nopen=setup.exe\r\n' >"$WORK/discs/alt_$letter/AUTORUN.INF"
    # An autorun disc: a labelled disc without one counts as changed at every poll, by design.
    printf '[AutoRun]\r\nopen=setup.exe\r\n' >"$WORK/discs/$letter/AUTORUN.INF"
    ln -s "$WORK/discs/$letter" "$WINEPREFIX/dosdevices/$letter:"
    wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d cdrom /f >>"$WORK/reg.log" 2>&1
done
# Without a window manager on the display, a managed window waits for one in vain at its first show.
wine_unmanaged
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
# Start the prefix's own processes (services, explorer) now, so that both programs find them running.
wine cmd /c exit >/dev/null 2>&1 || true

# The wineserver of this prefix (other prefixes may have their own).
server_pid() {
    local pid
    for pid in $(pgrep wineserver); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && {
            echo "$pid"
            return
        }
    done
}
switches() { # PID: voluntary and involuntary context switches of every thread
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^(non)?voluntary_ctxt_switches/ {n += $2} END {print n + 0}'
}
syscalls() { # PID SECONDS: system calls of every thread over that span
    timeout -s INT "$2" strace -f -c -p "$1" -o "$WORK/strace.txt" >/dev/null 2>&1 || true
    awk '$NF == "total" {print $(NF - 2) + 0}' "$WORK/strace.txt"
}

measure() { # NAME WINDOWS-COMMAND...
    local name=$1 pid server a0 a1 s0 s1 calls
    shift
    wine "$@" >>"$WORK/$name.log" 2>&1 &
    pid=$!
    sleep 5
    kill -0 "$pid" 2>/dev/null || fail "$name did not keep running"
    server=$(server_pid)
    [ -n "$server" ] || fail "no wineserver for the prefix"
    a0=$(switches "$pid")
    s0=$(switches "$server")
    sleep "$SPAN"
    a1=$(switches "$pid")
    s1=$(switches "$server")
    calls=$(syscalls "$pid" "$SPAN")
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    sleep 1
    echo "${name}_switches_per_min $(((a1 - a0) * 60 / SPAN))"
    echo "${name}_server_switches_per_min $(((s1 - s0) * 60 / SPAN))"
    echo "${name}_syscalls_per_min $((calls * 60 / SPAN))"
}

# The median of the numbers on standard input.
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

started() { # NAME TITLE WINDOWS-COMMAND...: one start, timed, then the memory at rest
    local name=$1 title=$2 pid id t0 t1 memory
    shift 2
    # From the program's image mapped by Wine's loader (what comes before is Wine's own start, the same for
    # any program), by the loader's trace, which is stamped with the clock the events are stamped with.
    WINEDEBUG=-all,+timestamp,+loaddll wine "$@" >"$WORK/$name.trace" 2>&1 &
    pid=$!
    for _ in $(seq 1 200); do
        id=$(xdotool search --onlyvisible --pid "$pid" --name "^$title\$" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && break
        sleep 0.05
    done
    [ -n "$id" ] || fail "$name mapped no window"
    sleep 5
    memory=$(awk '/^(Rss|Pss):/ {v[$1] = $2} END {print v["Pss:"], v["Rss:"]}' "/proc/$pid/smaps_rollup")
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    t0=$(awk -F: -v exe="${1##*\\}\"" '/trace:loaddll/ && index($0, exe) {print $1; exit}' "$WORK/$name.trace")
    [ -n "$t0" ] || fail "no trace of $name's image being loaded"
    # The event's second line names the window that was mapped; X reuses the ids of ended programs.
    t1=$(awk -v id="$(printf 'window 0x%x,' "$id")" -v t0="$t0" '$1 < t0 {next} /MapNotify/ {map = 1; next}
        map && index($0, id) {print $1; exit} {map = 0}' "$WORK/xev.txt")
    [ -n "$t1" ] || fail "no MapNotify for $name's window $id"
    echo "$name $(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.0f", (b - a) * 1000}') $memory" |
        tee -a "$WORK/starts.txt" >&2
    sleep 1
}

starts() {
    local round xev keep sleeper keeper
    # Wine ends its own processes (services, the desktop) with the last program of the prefix, and each
    # start would then wait for them anew: a console that waits for input keeps them.
    exec {keep}< <(exec sleep 100000)
    sleeper=$!
    wine cmd <&$keep >/dev/null 2>&1 &
    keeper=$!
    sleep 2
    cp "$C/tavi/tavimoro.ini" "$WORK/idle.ini"
    printf '[Mode]\r\nstandby=True\r\n' >>"$C/tavi/tavimoro.ini"
    # Each event stamped with the clock of Wine's trace (CLOCK_MONOTONIC_RAW, seconds).
    stdbuf -oL xev -root -event substructure 2>/dev/null > >(python3 -u -c 'import sys, time
for line in sys.stdin: print("%.6f" % time.clock_gettime(time.CLOCK_MONOTONIC_RAW), line, end="")' \
        >"$WORK/xev.txt") &
    xev=$!
    sleep 1
    # The first window of the prefix starts Wine's desktop process: a start that neither figure counts.
    started warmup bare 'C:\bare\bare_labels.exe' MNOP
    for ((round = 0; round < ROUNDS; round++)); do
        started bare bare 'C:\bare\bare_labels.exe' MNOP
        started rows bare 'C:\bare\bare_labels.exe' MNOP rows
        started tavimoro tavimoro 'C:\tavi\tavimoro.exe'
    done
    kill "$xev" "$keeper" "$sleeper" 2>/dev/null || true
    cp "$WORK/idle.ini" "$C/tavi/tavimoro.ini"
    for name in bare rows tavimoro; do
        echo "${name}_start_ms $(awk -v n=$name '$1 == n {print $2}' "$WORK/starts.txt" | median)"
        echo "${name}_pss_kb $(awk -v n=$name '$1 == n {print $3}' "$WORK/starts.txt" | median)"
        echo "${name}_rss_kb $(awk -v n=$name '$1 == n {print $4}' "$WORK/starts.txt" | median)"
    done
}

wake() {
    local pid i label took
    sed -i 's/RefreshTimer=1000/RefreshTimer=60000/; s/ChangeTimer=1000/ChangeTimer=60000/' "$C/tavi/tavimoro.ini"
    wine 'C:\tavi\tavimoro.exe' >>"$WORK/wake.log" 2>&1 &
    pid=$!
    sleep 5
    for i in 1 2 3 4 5 6; do
        # A swapped autorun disc takes two polls: out first, then in.
        if [ $((i % 2)) = 1 ]; then label=ALT_m folder=$WORK/discs/alt_m; else label=DISC_m folder=$WORK/discs/m; fi
        wine 'C:\tools\mountdrive.exe' m "$WORK/empty" >>"$WORK/wake.log" 2>&1
        wine 'C:\tools\devicechange.exe' removal m 1 "" >>"$WORK/wake.log" 2>&1
        wine 'C:\tools\mountdrive.exe' m "$folder" >>"$WORK/wake.log" 2>&1
        took=$(wine 'C:\tools\devicechange.exe' arrival m 1 "$label" 2>>"$WORK/wake.log" | tr -d '\r')
        echo "${took#ms=}"
    done | sort -n | awk '{v[NR] = $1} END {print "wake_ms_median " v[int((NR + 1) / 2)]; print "wake_ms_max " v[NR]}'
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

mkdir -p "$WORK/empty"
{
    starts
    if [ "$SPAN" -gt 0 ]; then
        measure bare 'C:\bare\bare_labels.exe' MNOP
        measure tavimoro 'C:\tavi\tavimoro.exe'
        wake
    fi
} | tee "$WORK/figures.txt"
awk '{v[$1] = $2}
    function ratio(a, b) { return v[b] > 0 ? sprintf("%.2f", v[a] / v[b]) : "n/a" }
    END {
        print "ratio_switches " ratio("tavimoro_switches_per_min", "bare_switches_per_min")
        if (v["bare_switches_per_min"] + v["bare_server_switches_per_min"] > 0)
            print "ratio_switches_with_server " sprintf("%.2f", (v["tavimoro_switches_per_min"] + v["tavimoro_server_switches_per_min"]) / (v["bare_switches_per_min"] + v["bare_server_switches_per_min"]))
        print "ratio_syscalls " ratio("tavimoro_syscalls_per_min", "bare_syscalls_per_min")
        for (f = 0; f < 2; f++) for (i = split("start_ms pss_kb rss_kb", m); i > 0; i--)
            print "ratio_" substr(m[i], 1, index(m[i], "_") - 1) (f ? "_rows " : " ") \
                ratio("tavimoro_" m[i], (f ? "rows_" : "bare_") m[i])
    }' "$WORK/figures.txt"
