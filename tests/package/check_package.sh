#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks what it holds and its
# dependencies, unpacks it into a scratch root and runs korvane-cli from there;
# lintian must report no error and no warning. Exit 77 (skipped) when the package tools or
# help2man are missing.
set -euo pipefail
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps help2man lintian man; do
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
# korvane-bridge: the program, its unit and user, the conffile, the man page.
for path in usr/bin/korvane-bridge lib/systemd/system/korvane-bridge.service \
            usr/lib/sysusers.d/korvane-sysusers.conf etc/korvane/bridge.conf \
            usr/share/man/man1/korvane-bridge.1.gz; do
  grep -q "\./$path\$" <<<"$contents" || { echo "FAIL: $path missing"; exit 1; }
done
dpkg-deb -e "$deb" "$scratch/control"
grep -qx /etc/korvane/bridge.conf "$scratch/control/conffiles" ||
  { echo "FAIL: bridge.conf is no conffile"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libqt6serialport6 <<<"$depends" || { echo "FAIL: Depends lacks Qt: $depends"; exit 1; }
for needed in qt6-qpa-plugins fonts-dejavu-core libqt6sql6-sqlite; do
  grep -q "$needed" <<<"$depends" || { echo "FAIL: Depends lacks $needed: $depends"; exit 1; }
done
recommends=$(dpkg-deb -f "$deb" Recommends)
grep -q qt6-translations-l10n <<<"$recommends" ||
  { echo "FAIL: Recommends lacks qt6-translations-l10n: $recommends"; exit 1; }

dpkg-deb -x "$deb" "$scratch/root"
help=$("$scratch/root/usr/bin/korvane-cli" --help)
grep -q "^Aufruf: korvane-cli" <<<"$help" || { echo "FAIL: korvane-cli --help: $help"; exit 1; }
# Every command of --help is an entry of its own in the man page, as man shows it.
page=$(MANWIDTH=200 man -l "$scratch/root/usr/share/man/man1/korvane-cli.1.gz" 2>&1)
commands=$(sed -n '/^Befehle:/,/^$/p' <<<"$help" | grep '^  [a-z]' | sed 's/^ *//')
[ "$(wc -l <<<"$commands")" -ge 10 ] || { echo "FAIL: commands in --help: $commands"; exit 1; }
while IFS= read -r command; do
  grep -qxF -e "       $command" <<<"$page" || grep -qF -e "       $command " <<<"$page" ||
    { echo "FAIL: man page has no entry \"$command\""; exit 1; }
done <<<"$commands"

copyright="$scratch/root/usr/share/doc/korvane/copyright"
grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" "$copyright" &&
  grep -q "^License: GPL-3.0+$" "$copyright" ||
  { echo "FAIL: the copyright file is no DEP-5 file naming GPL-3.0+"; exit 1; }

findings=$(lintian "$deb" | grep -E '^(E|W):' || true)
[ -z "$findings" ] || { echo "FAIL: lintian: $findings"; exit 1; }
echo "OK: $(basename "$deb"), Depends: $depends"
