#!/usr/bin/env bash
# Times a batch of product shots three ways: one --batch run on one thread, one on two, and the
# same shots as single mirelane-render processes one after another (the shell loop a batch
# replaces). Every shot is 1024 x 768 PNG of the software box, all rows sharing the sample artwork
# (background, front, side, top) and differing in their reflection and shadow settings.
# Usage: tools/bench-batch.sh [rows] [path to mirelane-render]
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-100}
render=$(realpath "${2:-build/release/mirelane-render}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
art=$(realpath examples)
mkdir -p "$work/out"
{
  echo "output,reflection-opacity,shadow-blur"
  for i in $(seq "$rows"); do echo "out/shot$i.png,$((100 + i % 156)),$((i % 60))"; done
} >"$work/shots.csv"
common=(--root data --template 1 --width 1024 --height 768 --background "$art/background.jpg"
        --front "$art/front.png" --side "$art/side.png" --top "$art/top.png")
measure() {
  local label=$1
  shift
  rm -rf "$work/out" && mkdir -p "$work/out"
  /usr/bin/time -f "$label: %e s wall, %U s user, %S s system, peak %M KiB" "$@" 2>&1 >/dev/null |
    grep -v '^row \|^batch '
}
"$render" "${common[@]}" -o "$work/out/warm.png"  # warm the file cache
measure "--batch --jobs 1" "$render" "${common[@]}" --batch "$work/shots.csv" --jobs 1
measure "--batch --jobs 2" "$render" "${common[@]}" --batch "$work/shots.csv" --jobs 2
export render work
measure "$rows single processes" bash -c '
  tail -n +2 "$work/shots.csv" | while IFS=, read -r out opacity blur; do
    "$render" "$@" --reflection-opacity "$opacity" --shadow-blur "$blur" -o "$work/$out"
  done' loop "${common[@]}"
