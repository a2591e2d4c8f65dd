#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks what it holds and its
# dependencies, unpacks it into a scratch root and runs korvane-cli from there;
# lintian must report no error and no warning. Exit 77 (skipped) when the package tools or
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
            usr/share/man/man1/korvane.1.gz usr/share/man/man1/korvane-cli.1.gz \
            usr/share/man/man1/korvane-sim.1.gz \
            usr/share/doc/korvane/copyright; do
  grep -q "\./$path\$" <<<"$contents" || { echo "FAIL: $path missing"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libqt6serialport6 <<<"$depends" || { echo "FAIL: Depends lacks Qt: $depends"; exit 1; }

dpkg-deb -x "$deb" "$scratch/root"
help=$("$scratch/root/usr/bin/korvane-cli" --help)
grep -q "^Usage: korvane-cli" <<<"$help" || { echo "FAIL: korvane-cli --help: $help"; exit 1; }
zcat "$scratch/root/usr/share/man/man1/korvane-cli.1.gz" | grep -q "^diff A.vts B.vts" ||
  { echo "FAIL: man page lacks the commands"; exit 1; }

copyright="$scratch/root/usr/share/doc/korvane/copyright"
grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" "$copyright" &&
  grep -q "^License: GPL-3.0+$" "$copyright" ||
  { echo "FAIL: the copyright file is no DEP-5 file naming GPL-3.0+"; exit 1; }

findings=$(lintian "$deb" | grep -E '^(E|W):' || true)
[ -z "$findings" ] || { echo "FAIL: lintian: $findings"; exit 1; }
echo "OK: $(basename "$deb"), Depends: $depends"
