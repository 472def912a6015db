#!/usr/bin/env bash
# Installs the Debian packages of tools/debian-packages.txt that the given purposes need (build,
# test, fuzz, shots, deb, check, format) and that are missing. Nothing is installed, and apt is
# not touched, when all of them are present.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -gt 0 ] || { echo "usage: $0 PURPOSE..." >&2; exit 2; }
missing=()
while read -r pkg purposes; do
  pkg=${pkg%%#*}
  [ -n "$pkg" ] || continue
  wanted=false
  for purpose in "$@"; do
    [[ " ${purposes//,/ } " == *" $purpose "* ]] && wanted=true
  done
  $wanted || continue
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done < "$here/debian-packages.txt"
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
