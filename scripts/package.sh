#!/usr/bin/env bash
# Builds everything and makes the Debian package build/package/korvane_*.deb;
# lintian checks it where it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
mkdir -p build/package
(cd build && cpack -G DEB -B "$PWD/package" >/dev/null)
deb=$(ls build/package/korvane_*.deb)
echo "$deb"
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb"
fi
