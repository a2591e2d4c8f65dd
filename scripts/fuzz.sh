#!/usr/bin/env bash
# Runs each fuzz target for SECONDS (default 60) and prints how many inputs it
# tried: scripts/fuzz.sh [seconds] [target...]. FUZZ_WORKERS=N (default 1)
# runs N fuzzing processes per target side by side.
# The corpus of each grows in build-asan/fuzz/corpus/<target> from seeds that
# the program's own code writes. A finding stops the run; its input lands in build-asan/fuzz/findings/
# and belongs, once fixed, in tests/fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
names=("$@")
[ ${#names[@]} -eq 0 ] && names=(receiver settings_file program_settings logbook)
scripts/build-asan.sh korvane-fuzz-seeds "${names[@]/#/fuzz_}" >/dev/null
work=build-asan/fuzz
mkdir -p "$work/findings" "$work/logs"
rm -rf "$work/seeds"
build-asan/tests/fuzz/korvane-fuzz-seeds "$work/seeds"
# Short allocation stacks and no fill of fresh memory: the receiver's inputs
# allocate a great deal, and these two dominate its cost.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=5:max_malloc_fill_size=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
workers=${FUZZ_WORKERS:-1}
status=0
for name in "${names[@]}"; do
  corpus="$work/corpus/$name"
  mkdir -p "$corpus"
  cp -n "$work/seeds/$name"/* "$corpus"/
  log="$work/logs/$name.log"
  rm -f "$log".*
  dirs=("$corpus")
  [ -d "tests/fuzz/regressions/$name" ] && dirs+=("tests/fuzz/regressions/$name")
  # A frame is at most 512 bytes; 4 KB of line holds a run of them.
  limit=()
  # The receiver's rig keeps its buffers from one input to the next, which
  # libFuzzer's per-input leak check takes for a leak and re-checks at great
  # cost; LeakSanitizer still checks the whole run when it ends.
  [ "$name" = receiver ] && limit=(-max_len=4096 -detect_leaks=0)
  # Each worker is a whole libFuzzer process; they share the corpus folder
  # and pick up each other's finds as it grows.
  pids=()
  for ((w = 1; w <= workers; w++)); do
    build-asan/tests/fuzz/"fuzz_$name" "${limit[@]}" -max_total_time="$seconds" -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$work/findings/$name-" "${dirs[@]}" \
      >"$log.$w" 2>&1 &
    pids+=($!)
  done
  failed=0
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  if [ $failed -eq 0 ]; then
    runs=$(cat "$log".* | sed -n 's/^stat::number_of_executed_units: *//p' | awk '{s += $1} END {print s}')
    echo "fuzz $name: $runs runs in $seconds s with $workers worker(s), no finding" \
         "(corpus $(ls "$corpus" | wc -l) inputs)"
  else
    echo "fuzz $name: FINDING, see $log.* and $work/findings/"
    tail -n 40 "$log".*
    status=1
  fi
done
exit $status
