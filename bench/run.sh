#!/usr/bin/env bash
# The speed table of the README: runs the benchmarks and their floor programs in one run and prints
# the ratios, as a Markdown table. Linux figures are medians over ROUNDS rounds (default 3), each round
# running poll_floor and poll_bench in turn for 0, 1, 2, 4 and 23 drives; the Wine figures come from
# bench/wine_idle.sh when the Windows build and Wine are there, the start's from bench/linux_start.sh
# when Xvfb, openbox and trayer are.
#   bench/run.sh [ROUNDS]
set -euo pipefail
ROUNDS=${1:-3}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
LINUX=${TAVIMORO_LINUX_BUILD:-$ROOT/build/linux}
WINDOWS=${TAVIMORO_WIN_BUILD:-$ROOT/build/windows}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for ((round = 0; round < ROUNDS; round++)); do
    for drives in 0 1 2 4 23; do
        "$LINUX/poll_floor" "$drives" | sed "s/^/$drives /" >>"$work/linux.txt"
        "$LINUX/poll_bench" "$drives" 2>/dev/null | sed "s/^/$drives /" >>"$work/linux.txt" || {
            echo "poll_bench $drives failed (a disc file was opened by an idle poll, or the window did not load)" >&2
            exit 1
        }
    done
done
"$LINUX/autorun_bench" >"$work/autorun.txt"
if command -v Xvfb openbox trayer dbus-run-session >/dev/null && [ -x "$LINUX/bare_tray" ]; then
    dbus-run-session -- bash "$ROOT/bench/linux_start.sh" 9 >"$work/start.txt" 2>/dev/null || echo "the start measurement failed" >&2
fi
if [ -x "$WINDOWS/tavimoro.exe" ] && [ -f "$WINDOWS/bare_labels.exe" ] && command -v wine >/dev/null; then
    bash "$ROOT/bench/wine_idle.sh" 2>/dev/null >"$work/wine.txt" || echo "the Wine measurement failed" >&2
fi

awk -v rounds="$ROUNDS" '
    FILENAME ~ /linux/ { values[$1 " " $2] = values[$1 " " $2] " " $3 }
    FILENAME ~ /wine/ { wine[$1] = $2 }
    FILENAME ~ /autorun/ { autorun[substr($1, 12)] = $2 }
    FILENAME ~ /start/ { start[$1] = $2 }
    function median(key,   list, n, i, j, t) {
        n = split(values[key], list, " ")
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (list[j] < list[i]) { t = list[i]; list[i] = list[j]; list[j] = t }
        return n ? list[int((n + 1) / 2)] : 0
    }
    # What one more drive costs: at few drives (from A to A + 1), and on average from there up to 23.
    function first(what, a) { return median((a + 1) " " what) - median(a " " what) }
    function rest(what, a) { return (median("23 " what) - median((a + 1) " " what)) / (22 - a) }
    END {
        idle23 = median("23 idle_poll_us"); floor23 = median("23 floor_us"); listing23 = median("23 floor_listing_us")
        # A poll with no drive has no change to make: the changed poll starts from one drive.
        changed1 = first("changed_poll_us", 1); changed23 = rest("changed_poll_us", 1)
        print "| measure | Tavimoro | floor | ratio | goal |"
        print "|---|---|---|---|---|"
        printf "| idle poll, 23 drives (CPU) | %.0f µs | %.0f µs (mount table + 23 udev files) | %.2f× | ≤ 0.5× |\n", idle23, floor23, idle23 / floor23
        printf "| idle poll, 23 drives, against the floor with the sysfs listing | %.0f µs | %.0f µs | %.2f× | |\n", idle23, listing23, idle23 / listing23
        printf "| idle poll, cost per drive at 4 / at 23 drives (above none) | %.2f / %.2f µs | %.2f / %.2f µs | %.2f (flatness) | ≤ 1.2 |\n", (median("4 idle_poll_us") - median("0 idle_poll_us")) / 4, (idle23 - median("0 idle_poll_us")) / 23, (median("4 floor_us") - median("0 floor_us")) / 4, (floor23 - median("0 floor_us")) / 23, ((idle23 - median("0 idle_poll_us")) / 23) / ((median("4 idle_poll_us") - median("0 idle_poll_us")) / 4)
        printf "| poll with every drive changed, cost of one more drive: the 2nd / each of the 3rd to 23rd | %.0f / %.0f µs | | %.2f (flatness) | 1 ± 0.2 |\n", changed1, changed23, changed1 / changed23
        printf "| heap per row, 23 rows with disc icons / empty (window pixels apart) | %.1f / %.1f KB | | | ≤ 16 KB |\n", median("23 row_bytes_icons") / 1024, median("23 row_bytes_empty") / 1024
        printf "| window pixels per row (backing store, 4 bytes a pixel) | %.1f KB | | | |\n", median("23 row_window_pixels_bytes") / 1024
        printf "| disc mounted → row updated, RefreshTimer=1000 (wall, median / max) | %.1f / %.1f ms | | | ≤ 100 ms |\n", median("23 wake_ms_median"), median("23 wake_ms_max")
        if ("ratio_switches" in wine) {
            printf "| Wine, idle, context switches a minute (process) | %d | %d (bare window reading the labels) | %s× | ≤ 1.2× |\n", wine["tavimoro_switches_per_min"], wine["bare_switches_per_min"], wine["ratio_switches"]
            printf "| Wine, idle, context switches a minute (process + wineserver) | %d | %d | %s× | ≤ 1.2× |\n", wine["tavimoro_switches_per_min"] + wine["tavimoro_server_switches_per_min"], wine["bare_switches_per_min"] + wine["bare_server_switches_per_min"], wine["ratio_switches_with_server"]
            printf "| Wine, idle, system calls a minute (process) | %d | %d | %s× | ≤ 1.2× |\n", wine["tavimoro_syscalls_per_min"], wine["bare_syscalls_per_min"], wine["ratio_syscalls"]
            printf "| Wine, start → window mapped, 4 drives (median) | %d ms | %d ms (bare tray window, same manifest) | %s× | ≤ 1.2× |\n", wine["tavimoro_start_ms"], wine["bare_start_ms"], wine["ratio_start"]
            printf "| Wine, PSS / RSS after 5 s | %.1f / %.1f MB | %.1f / %.1f MB | %s× / %s× | ≤ 1.1× |\n", wine["tavimoro_pss_kb"] / 1024, wine["tavimoro_rss_kb"] / 1024, wine["bare_pss_kb"] / 1024, wine["bare_rss_kb"] / 1024, wine["ratio_pss"], wine["ratio_rss"]
            printf "| Wine, start; PSS / RSS, against the bare window with the controls of the rows | %d ms; %.1f / %.1f MB | %d ms; %.1f / %.1f MB | %s×; %s× / %s× | |\n", wine["tavimoro_start_ms"], wine["tavimoro_pss_kb"] / 1024, wine["tavimoro_rss_kb"] / 1024, wine["rows_start_ms"], wine["rows_pss_kb"] / 1024, wine["rows_rss_kb"] / 1024, wine["ratio_start_rows"], wine["ratio_pss_rows"], wine["ratio_rss_rows"]
            printf "| Wine, disc put in → row updated after WM_DEVICECHANGE (median / max) | %s / %s ms | | | ≤ 100 ms |\n", wine["wake_ms_median"], wine["wake_ms_max"]
        }
        for (what in start) if (what ~ /^tavimoro_.*_ms$/) {
            bare = start["bare" substr(what, 9)]
            printf "| Linux start → %s shown (wall, median) | %d ms | %d ms (bare Qt tool window and tray icon) | %.2f× | ≤ 1.1× |\n", what ~ /icon/ ? "tray icon" : "window", start[what], bare, start[what] / bare
        }
        printf "| disc files opened by idle polls | %d | | | 0 |\n", median("23 disc_files_opened")
        for (shape in autorun) if (autorun[shape] > slowest) { slowest = autorun[shape]; worst = shape }
        printf "| one drive check over a crafted 1 MiB AUTORUN.INF, the slowest shape (%s) | %.0f ms | | | ≤ 1000 ms |\n", worst, slowest
    }' "$work/linux.txt" "$work/autorun.txt" $([ -s "$work/wine.txt" ] && echo "$work/wine.txt") \
    $([ -s "$work/start.txt" ] && echo "$work/start.txt")
