#!/usr/bin/env bash
# Runs each fuzz target for SECONDS (default 60) and prints how many inputs it
# tried: scripts/fuzz.sh [seconds] [target...]. FUZZ_WORKERS=N (default 1)
# runs N fuzzing processes per target side by side (libFuzzer's fork mode).
# The corpus of each grows in build-asan/fuzz/corpus/<target> from seeds that
# the program's own code writes. A finding stops the run; its input lands in build-asan/fuzz/findings/
# and belongs, once fixed, in tests/fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
names=("$@")
[ ${#names[@]} -eq 0 ] && names=(receiver parsers settings_file program_settings logbook)
scripts/build-asan.sh korvane-fuzz-seeds "${names[@]/#/fuzz_}" >/dev/null
work=build-asan/fuzz
mkdir -p "$work/findings" "$work/logs"
rm -rf "$work/seeds"
build-asan/tests/fuzz/korvane-fuzz-seeds "$work/seeds"
# No allocation stacks, no fill of fresh memory and a 16 MB quarantine: the
# receiver's inputs allocate a great deal, and with the defaults these
# dominate its cost (the default 256 MB quarantine alone halves its speed).
# For a finding's full stacks, run build-asan/tests/fuzz/fuzz_<target> on the
# saved input with the default options.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=0:max_malloc_fill_size=0:quarantine_size_mb=16}"
workers=${FUZZ_WORKERS:-1}
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
for name in "${names[@]}"; do
  corpus="$work/corpus/$name"
  mkdir -p "$corpus"
  cp -n "$work/seeds/$name"/* "$corpus"/
  log="$work/logs/$name.log"
  dirs=("$corpus")
  [ -d "tests/fuzz/regressions/$name" ] && dirs+=("tests/fuzz/regressions/$name")
  # A frame is at most 512 bytes; 1 KB of line holds an overlong frame or a
  # run of ordinary replies, and shorter inputs run faster.
  limit=()
  # The receiver's rig keeps its buffers from one input to the next, which
  # libFuzzer's per-input leak check takes for a leak and re-checks at great
  # cost; LeakSanitizer still checks the whole run when it ends.
  [ "$name" = receiver ] && limit=(-max_len=1024 -detect_leaks=0)
  [ "$name" = parsers ] && limit=(-max_len=1024)
  fork=()
  [ "$workers" -gt 1 ] && fork=(-fork="$workers")
  if build-asan/tests/fuzz/"fuzz_$name" "${limit[@]}" "${fork[@]}" -max_total_time="$seconds" \
       -timeout=10 -print_final_stats=1 -artifact_prefix="$work/findings/$name-" \
       "${dirs[@]}" >"$log" 2>&1; then
    if [ "$workers" -gt 1 ]; then
      runs=$(sed -n 's/^#\([0-9]*\): cov:.*/\1/p' "$log" | tail -1)
    else
      runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    fi
    echo "fuzz $name: $runs runs in $seconds s, no finding (corpus $(ls "$corpus" | wc -l) inputs)"
  else
    echo "fuzz $name: FINDING, see $log and $work/findings/"
    tail -40 "$log"
    status=1
  fi
done
exit $status
