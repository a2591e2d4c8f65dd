#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks what it holds and its
# dependencies, unpacks it into a scratch root and runs korvane-cli from there;
# lintian must report no error. Exit 77 (skipped) when the package tools or
# help2man are missing.
set -euo pipefail
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps help2man lintian; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$build" && cpack -G DEB -B "$scratch/out" >/dev/null)
deb=$(ls "$scratch"/out/korvane_*.deb)

contents=$(dpkg-deb --contents "$deb")
for path in usr/bin/korvane usr/bin/korvane-cli usr/bin/korvane-sim \
            usr/share/applications/korvane.desktop \
            usr/share/icons/hicolor/scalable/apps/korvane.svg \
            usr/share/man/man1/korvane-cli.1.gz usr/share/man/man1/korvane-sim.1.gz \
            usr/share/doc/korvane/copyright; do
  grep -q "\./$path\$" <<<"$contents" || { echo "FAIL: $path missing"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libqt6serialport6 <<<"$depends" || { echo "FAIL: Depends lacks Qt: $depends"; exit 1; }
grep -q libqt6sql6-sqlite <<<"$depends" || { echo "FAIL: Depends lacks the SQLite driver: $depends"; exit 1; }

dpkg-deb -x "$deb" "$scratch/root"
help=$("$scratch/root/usr/bin/korvane-cli" --help)
grep -q "^Usage: korvane-cli" <<<"$help" || { echo "FAIL: korvane-cli --help: $help"; exit 1; }
zcat "$scratch/root/usr/share/man/man1/korvane-cli.1.gz" | grep -q "^diff A.vts B.vts" ||
  { echo "FAIL: man page lacks the commands"; exit 1; }

errors=$(lintian "$deb" | grep '^E:' || true)
[ -z "$errors" ] || { echo "FAIL: lintian: $errors"; exit 1; }
echo "OK: $(basename "$deb"), Depends: $depends"
