#!/usr/bin/env bash
# Times mirelane-render end to end (start, read artwork, render, flatten, write) at 2048 x 2048
# with BMP output: N runs, then the mean, the fastest and the peak memory of one run.
# Usage: tools/bench-cli.sh [runs] [path to mirelane-render]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
render=${2:-build/release/mirelane-render}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
pick() { for ext in png jpg; do [ -f "examples/$1.$ext" ] && { echo "examples/$1.$ext"; return; }; done; }
args=(--root data --template 1 --front "$(pick front)" --side "$(pick side)" --top "$(pick top)"
      --width 2048 --height 2048 -o "$out/shot.bmp")
"$render" "${args[@]}"  # warm the file cache
total=0
best=999999
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$render" "${args[@]}"
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  total=$((total + ms))
  [ "$ms" -lt "$best" ] && best=$ms
done
echo "mirelane-render 2048x2048 BMP: mean $((total / runs)) ms, best $best ms over $runs runs"
/usr/bin/time -f "peak memory of one run: %M KiB, %e s wall, %U s user, %S s system" "$render" "${args[@]}"
