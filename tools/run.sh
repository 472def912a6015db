#!/usr/bin/env bash
# Starts the program's main job from a build folder.
set -euo pipefail
build=${1:-build/release}
if [ -x "$build/mirelane-creator" ]; then
  exec "$build/mirelane-creator"
fi
echo "The desktop application is not built yet. The engine and its tests are in $build."
