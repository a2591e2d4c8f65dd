#!/usr/bin/env bash
# Installs the Debian packages Korvane needs to build, test and run, if missing.
set -euo pipefail
# clang and libclang-rt-dev: the sanitizer build and the libFuzzer targets;
# ser2net: the tests of a controller behind a serial server on the network;
# mosquitto and its clients: korvane-bridge, its tests and scripts/run-bridge.sh;
# libqt6sql6-sqlite: the SQLite driver of the history store.
packages=(cmake g++ ninja-build pkgconf qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev
          libqt6sql6-sqlite libgl-dev fonts-liberation qt6-translations-l10n dpkg-dev help2man lintian clang
          libclang-rt-dev ser2net mosquitto mosquitto-clients libmosquitto-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
