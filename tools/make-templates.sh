#!/usr/bin/env bash
# Builds the template writer and rewrites data/Templates/*.ini from the shipped shots' designs
# (src/templates/shipped_shots.cpp). Then run tools/make-previews.sh for their preview pictures.
# Usage: tools/make-templates.sh [build folder]   (default: build/release, configured if missing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target mirelane-make-templates -j2
"$build/mirelane-make-templates" "$root/data/Templates"
