#!/usr/bin/env bash
# Starts the desktop application from a build folder, with the shipped data beside it.
# Without a display it renders every shipped template with the sample artwork into out/ instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/release}
app="$build/mirelane-creator"
render="$build/mirelane-render"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ "${QT_QPA_PLATFORM:-}" = "offscreen" ]; then
  if [ -x "$app" ]; then
    # Every build copies the data folders beside the executable.
    exec "$app"
  fi
  echo "The desktop application is not built (is qt6-base-dev installed?). The engine and its tests are in $build."
  exit 1
fi

echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty): the window cannot open here."
if [ ! -x "$render" ]; then
  echo "The command-line renderer $render is not built either; nothing to show."
  exit 1
fi
examples="$here/examples"
[ -d "$examples" ] || examples="$here/data/examples"
out="$here/out"
mkdir -p "$out"
# Every sample picture named after a slot keyword (front.png, disc2.jpg, ...) feeds that slot.
slots=()
if [ -d "$examples" ]; then
  for file in "$examples"/*; do
    [ -f "$file" ] || continue
    name=$(basename "$file")
    key=${name%.*}
    case "${key^^}" in
      BACKGROUND|FRONT|SIDE|TOP|DISC|FRONT2|SIDE2|TOP2|DISC2) slots+=("--${key,,}" "$file") ;;
    esac
  done
fi
echo "Rendering every shipped template with the sample artwork instead:"
count=0
while IFS=$'\t' read -r position template; do
  [ -n "$position" ] || continue
  target="$out/${template// /_}.png"
  if "$render" --template "$position" "${slots[@]}" -o "$target"; then
    echo "  $target"
    count=$((count + 1))
  fi
done < <("$render" --list)
echo "$count pictures in $out"
