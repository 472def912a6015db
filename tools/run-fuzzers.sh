#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time on its committed corpus.
# Crashes land in fuzz/corpus/<name>/ as crash-* files: fix them and keep them (CTest replays them).
set -euo pipefail
build=${1:-build/fuzz}
seconds=${2:-60}
status=0
for bin in "$build"/fuzz_*; do
  [ -x "$bin" ] || continue
  name=${bin##*/fuzz_}
  corpus=fuzz/corpus/$name
  work=$build/corpus-$name
  mkdir -p "$work" "$corpus"
  echo "== $name ($seconds s)"
  "$bin" "$work" "$corpus" -max_total_time="$seconds" -artifact_prefix="$corpus/" -print_final_stats=1 \
    -rss_limit_mb=2048 -timeout=10 2>&1 | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' || status=1
done
exit $status
