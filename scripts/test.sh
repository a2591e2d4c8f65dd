#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless; then the
# sanitizer suite (scripts/sanitize.sh): every test again built with
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for
# half a minute. KORVANE_QUICK=1 skips the sanitizer suite, except in CI
# (CI=true), which always runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
if [ "${CI:-}" = true ] || [ "${KORVANE_QUICK:-0}" != 1 ]; then
  scripts/sanitize.sh
fi
