#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time over its seed corpus.
#   run.sh FUZZER SECONDS SEED_FOLDER WORK_FOLDER [more libFuzzer options]
# Every seed runs first. New inputs go to WORK_FOLDER/corpus, never into the seed folder in the source
# tree; an input that crashes, hangs, leaks or breaks a checked rule is saved in WORK_FOLDER/findings/
# and the run fails. Replay one with: FUZZER FINDING
set -euo pipefail
fuzzer=$1 seconds=$2 seeds=$3 work=$4
shift 4
mkdir -p "$work/corpus" "$work/findings"
options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix="$work/findings/")
dict="$(dirname "$0")/dict/$(basename "$seeds").dict"
if [[ -f $dict ]]; then
    options+=(-dict="$dict")
fi
exec "$fuzzer" "${options[@]}" "$@" "$work/corpus" "$seeds"
