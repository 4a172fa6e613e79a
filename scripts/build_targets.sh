#!/usr/bin/env bash
# Makes sure a build folder holds what a script needs: a folder never
# configured is built whole, one that is gets the targets named.
#   scripts/build_targets.sh BUILD-DIR TARGET...
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1
shift
if [ ! -f "$build/build.ninja" ]; then
  bash "$top/scripts/build.sh" "$build"
else
  cmake --build "$build" --target "$@"
fi
