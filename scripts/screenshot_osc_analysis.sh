#!/usr/bin/env bash
# Writes two recordings of one fault (scripts/osc_fault_recordings.py) and
# saves the viewer under a virtual X display: the binary one with its
# "Анализ" tab (osc-binary-analysis.png) and both side by side
# (osc-two-recordings.png).
#   scripts/screenshot_osc_analysis.sh [output-dir] [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/docs/screenshots}")
build=$(realpath -m "${2:-$top/build}")
bash "$top/scripts/deps.sh"
bash "$top/scripts/build_targets.sh" "$build" vmkosc

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$top/scripts/osc_fault_recordings.py" "$work"
mkdir -p "$out"
shot() { xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/vmkosc" "$@"; }
shot "$work/fault_a.cfg" --tab analysis --screenshot "$out/osc-binary-analysis.png"
shot "$work/fault_a.cfg" --compare "$work/fault_b.cff" --screenshot "$out/osc-two-recordings.png"
ls -1 "$out"/osc-*.png
