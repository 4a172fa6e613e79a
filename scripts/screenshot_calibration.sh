#!/usr/bin/env bash
# Starts a simulated device (vmksim) whose channel of point 4 (3Io, lower
# range) is out of reach of any coefficient, connects to it on the rear
# connector in the real configurator under a virtual X display, opens the
# calibration window in automatic mode, adjusts points 1, 2 and 4 and saves
# the window while point 3 is being adjusted.
#   scripts/screenshot_calibration.sh [output-dir] [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/docs/screenshots}")
build=$(realpath -m "${2:-$top/build}")
bash "$top/scripts/deps.sh"
bash "$top/scripts/build_targets.sh" "$build" vmkconf vmksim About

work=$(mktemp -d)
link="$work/bus.pty"
coproc SIM { exec "$build/bin/vmksim" --link "$link" --addresses 1 --gain 4=0.5; }
sim_pid=$SIM_PID
cleanup() {
  kill -TERM "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if ! read -r line <&"${SIM[0]}" || [ "$line" != "ready $link" ]; then
  echo "screenshot_calibration.sh: the simulator did not start (${line:-no output})" >&2
  exit 1
fi

cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/vmkconf" --screenshots "$work/shots" --screenshot-poll "$link" --screenshot-calibration
mkdir -p "$out"
cp "$work/shots/calibration.png" "$out/calibration-auto.png"
ls -1 "$out"/calibration-auto.png
