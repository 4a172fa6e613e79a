#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite; then the fuzz
# targets' short runs in a clang build of their own; then the Windows
# build's tests under Wine if the Windows toolchain is in its cache.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh"
bash "$top/scripts/build.sh" "$top/build-asan" -DVMK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cd "$top/build-asan"
ctest --output-on-failure --timeout 600 -j "$(nproc)"
# The fuzz targets (clang, a build of their own): a short run of each.
bash "$top/scripts/fuzz.sh" test
# The Windows programs under Wine, when this machine has their toolchain
# (scripts/windows.sh builds it once, for an hour or more); the output says
# whether they ran.
bash "$top/scripts/windows.sh" if-cached
