#!/usr/bin/env bash
# Checks the Debian package: lintian accepts it, the desktop entry and the AppStream data validate,
# and the package unpacked into a throw-away root lists its templates with its own data.
# Usage: tools/check-deb.sh [build folder]
set -euo pipefail
build=${1:-build/release}
deb=$(ls "$build"/mirelane-creator_*_amd64.deb | head -n 1)
# Errors fail; warnings are printed (each is explained in the packaging notes).
lintian --fail-on error --tag-display-limit 0 "$deb"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/mirelane-creator.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.mirelane.creator.metainfo.xml"
listing=$("$root/usr/bin/mirelane-render" --list)
printf '%s\n' "$listing" | sed -n 1,3p
[ -n "$listing" ]
echo "check-deb: $deb passed"
