#!/usr/bin/env bash
# Runs one harness for a bounded time on a fresh copy of its seed corpus.
# Usage: run-fuzzer.sh HARNESS SEED_FOLDER WORK_FOLDER SECONDS
set -euo pipefail
harness=$1 seeds=$2 work=$3 seconds=$4
rm -rf "$work"
mkdir -p "$work/corpus" "$work/findings"
cp -r "$seeds"/. "$work/corpus/"
cd "$work"
exec "$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/findings/" -print_final_stats=1 corpus
