#!/usr/bin/env bash
# The sanitizer suite: builds everything into ./build-asan (see
# build-asan.sh), runs every test there and then each fuzz target for
# FUZZ_SECONDS (default 30) on its corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-asan.sh
(cd build-asan && ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
   UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
   QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
