#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configurator.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh"
bash "$top/scripts/build.sh" "$top/build"
exec "$top/build/bin/vmkconf" "$@"
