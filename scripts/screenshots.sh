#!/usr/bin/env bash
# Starts the real configurator under a virtual X display and saves a PNG of
# the splash picture and of each of the seven pages of the main window.
#   scripts/screenshots.sh [output-dir] [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/screenshots}")
build=$(realpath -m "${2:-$top/build}")
bash "$top/scripts/deps.sh"
bash "$top/scripts/build_targets.sh" "$build" vmkconf About
mkdir -p "$out"
# Run from an empty folder: the program may write its port settings beside
# the working files, never into the source tree.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/vmkconf" --screenshots "$out"
ls -1 "$out"/*.png
