#!/usr/bin/env bash
# Starts the application's windows under a virtual X display as a first start does (the first
# template rendered with the sample artwork in examples/, no remembered settings), and saves
# pictures of the main window at its smallest size (output.png, and -reflection.png with that
# page shown), enlarged to 1600 x 1000 (-large.png), of the About window (-about.png,
# -libraries.png), and of a start whose Templates folder is empty (-no-templates.png).
# Usage: tools/screenshot.sh [build folder] [output.png]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/release}
output=${2:-out/screenshot.png}
grabber="$build/mirelane-creator-screenshot"
if [ ! -x "$grabber" ]; then
  echo "$grabber is not built; run: cmake --build --preset release" >&2
  exit 1
fi
bash "$here/tools/install-deps.sh" shots
mkdir -p "$(dirname "$output")"
examples="$here/examples"
[ -d "$examples" ] || examples="$here/data/examples"
if command -v xvfb-run >/dev/null 2>&1; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "$grabber" "$output" "$examples"
else
  echo "xvfb-run is missing; using Qt's offscreen platform instead." >&2
  QT_QPA_PLATFORM=offscreen "$grabber" "$output" "$examples"
fi
