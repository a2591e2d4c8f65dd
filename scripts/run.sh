#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated controller on a
# pseudo-terminal and the Korvane window connected to it as COM 1.
# Extra arguments go to korvane-sim (e.g. --sensor, --paced); see korvane-sim --help.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh korvane korvane-sim korvane-cli
mkdir -p run
link="$PWD/run/ttyKorvaneSim"
build/src/sim/korvane-sim --link "$link" "$@" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
cd run
# Korvane.ini lives in the working directory: COM 1 maps to the simulator.
printf '1\r\nCOM1=%s\r\n' "$link" > Korvane.ini
../build/src/app/korvane
