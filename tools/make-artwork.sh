#!/usr/bin/env bash
# Builds the artwork generator and rewrites examples/, data/custom/ and data/Data/ with its output.
# Usage: tools/make-artwork.sh [build folder]   (default: build/release, configured if missing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target mirelane-make-artwork -j2
"$build/mirelane-make-artwork" "$root"
