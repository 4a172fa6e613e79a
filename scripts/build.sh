#!/usr/bin/env bash
# Configures and builds into a build folder.
#   scripts/build.sh [build-dir] [extra cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build}
shift || true
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$top"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
