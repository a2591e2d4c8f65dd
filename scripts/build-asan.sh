#!/usr/bin/env bash
# Configures and builds into ./build-asan with clang, AddressSanitizer,
# UndefinedBehaviorSanitizer and the libFuzzer targets: everything, or the
# targets named.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
# -O1 and line tables only: quicker to build, still fast to run and enough
# for the sanitizers' stack traces.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
      -DCMAKE_CXX_COMPILER=clang++ -DKORVANE_FUZZ=ON "${launcher[@]}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build-asan -j"$(nproc)" --target "$@"
else
  cmake --build build-asan -j"$(nproc)"
fi
