#!/usr/bin/env bash
# Renders the 120 x 90 preview picture of every template (data/Pics/<name>.jpg) from the sample
# artwork in examples/, with the composer's initial settings.
# Usage: tools/make-previews.sh [path to mirelane-render]   (default build/release/mirelane-render)
set -euo pipefail
cd "$(dirname "$0")/.."
render=${1:-build/release/mirelane-render}
art=examples
pick() {  # the sample picture of a slot, whichever format it was made in
  for ext in png jpg; do
    if [ -f "$art/$1.$ext" ]; then echo "$art/$1.$ext"; return; fi
  done
  echo "missing sample artwork $art/$1" >&2
  exit 1
}
slots=()
for slot in front side top disc front2 side2 top2 disc2; do
  slots+=("--$slot" "$(pick "$slot")")
done
mkdir -p data/Pics
# Only the shipped templates: the user's own must not join the listing.
export XDG_DATA_HOME=/nonexistent
"$render" --root data --list | while IFS=$'\t' read -r position name; do
  "$render" --root data --template "$position" "${slots[@]}" --width 120 --height 90 \
    -o "data/Pics/$name.jpg"
  echo "data/Pics/$name.jpg"
done
