#!/usr/bin/env bash
# Installs what is missing, builds, and starts a private mosquitto broker
# (its own temporary configuration, on 127.0.0.1 port KORVANE_MQTT_PORT,
# default 18830; not the system's broker), the simulated controller and
# korvane-bridge with motor commands on. Prints the mosquitto_sub line that
# shows every message. Ctrl-C stops all three.
# Extra arguments go to korvane-bridge (e.g. --manual-hold 10).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh korvane-bridge korvane-sim
port=${KORVANE_MQTT_PORT:-18830}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 0' INT TERM
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\n' "$port" > "$work/mosquitto.conf"
mosquitto=$(command -v mosquitto || echo /usr/sbin/mosquitto)
"$mosquitto" -c "$work/mosquitto.conf" 2> "$work/mosquitto.log" &
pids+=($!)
sleep 0.3
if ! kill -0 "${pids[0]}" 2>/dev/null; then
  echo "mosquitto did not start (port $port taken? set KORVANE_MQTT_PORT):" >&2
  cat "$work/mosquitto.log" >&2
  exit 1
fi
build/src/sim/korvane-sim --link "$work/tty" > /dev/null &
pids+=($!)
for _ in $(seq 50); do [ -e "$work/tty" ] && break; sleep 0.1; done
echo "Broker on 127.0.0.1:$port. See everything with:"
echo "  mosquitto_sub -h 127.0.0.1 -p $port -v -t 'korvane/#' -t 'homeassistant/#'"
echo "Move motor 3 down:"
echo "  mosquitto_pub -h 127.0.0.1 -p $port -t korvane/motor/3/set -m CLOSE"
build/src/bridge/korvane-bridge --port "$work/tty" --broker "127.0.0.1:$port" --commands \
  --id sim "$@" &
pids+=($!)
wait "${pids[-1]}"
