#!/usr/bin/env bash
# Configures and builds into ./build: everything, or the targets named.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
# A compiler cache makes rebuilds in several work trees cheap where it is installed.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths relative to the checkout, so that other clones hit the cache too.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build -j"$(nproc)" --target "$@"
else
  cmake --build build -j"$(nproc)"
fi
