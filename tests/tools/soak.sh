#!/usr/bin/env bash
# Runs every end-to-end test ROUNDS times while two busy loops keep both cores busy, in build folders made
# anew for it (build/soak), and ends with the time of each round and a table of the failures: the test,
# the step it was at, its first failure and how many rounds it failed in. Not part of `make test`.
#   tests/tools/soak.sh [ROUNDS]        (10 unless told; TEST_JOBS end-to-end tests at once, 6 unless told)
set -uo pipefail
rounds=${1:-10}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
soak=$source_dir/build/soak
jobs=${TEST_JOBS:-6}

rm -rf "$soak"
mkdir -p "$soak"
echo "building the programs in $soak"
{
    cmake --preset windows -S "$source_dir" -B "$soak/windows" &&
        cmake --build "$soak/windows" -j2 &&
        cmake --preset linux -S "$source_dir" -B "$soak/linux" -DTAVIMORO_WINDOWS_BUILD_DIR="$soak/windows" &&
        cmake --build "$soak/linux" -j2 --target tavimoro tavimoro-e2e tavimoro-ini xdnd_drop file_events
} >"$soak/build.log" 2>&1 || {
    tail -n 30 "$soak/build.log"
    echo "the build failed (the whole log: $soak/build.log)"
    exit 1
}

busy=()
for _ in 1 2; do
    (while :; do :; done) &
    busy+=($!)
done
trap 'kill "${busy[@]}" 2>/dev/null' EXIT

for ((round = 1; round <= rounds; round++)); do
    start=$(date +%s)
    (cd "$soak/linux" && ctest -R '^e2e_' -j"$jobs" --output-junit "$soak/round-$round.xml" >"$soak/round-$round.log" 2>&1)
    echo "round $round of $rounds: $(($(date +%s) - start)) s, $(grep -c 'Failed\|Timeout' "$soak/round-$round.log") failed"
done

# Each failed test's step (the last "--- " line before its first failure; the Linux scripts have none)
# and that failure, counted over the rounds.
python3 - "$soak" "$rounds" <<'TABLE'
import collections, glob, sys, xml.etree.ElementTree as tree

soak, rounds = sys.argv[1], int(sys.argv[2])
failures = collections.Counter()
for report in sorted(glob.glob(f"{soak}/round-*.xml")):
    for case in tree.parse(report).iter("testcase"):
        if case.get("status") not in ("fail", "failed") and case.find("failure") is None:
            continue
        step, first = "-", "(no FAIL line: see the round's log)"
        for line in (case.findtext("system-out") or "").splitlines():
            if line.startswith("--- "):
                step = line[4:]
            elif line.startswith("FAIL: "):
                first = line[6:]
                break
        failures[(case.get("name"), step, first)] += 1
print(f"\n{rounds} rounds, {sum(failures.values())} failures")
if failures:
    print("| test | step | failure | rounds |\n|---|---|---|---|")
    for (name, step, first), count in failures.most_common():
        print(f"| {name} | {step} | {first} | {count} |")
sys.exit(1 if failures else 0)
TABLE
