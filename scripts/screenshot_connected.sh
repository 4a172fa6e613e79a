#!/usr/bin/env bash
# Starts a simulated bus of three devices (vmksim), polls it on the rear
# connector in the real configurator under a virtual X display, and saves
# page 0 with the device list and the connection report.
#   scripts/screenshot_connected.sh [output-png] [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/docs/screenshots/page0-connected.png}")
build=$(realpath -m "${2:-$top/build}")
bash "$top/scripts/deps.sh"
bash "$top/scripts/build_targets.sh" "$build" vmkconf vmksim About

work=$(mktemp -d)
link="$work/bus.pty"
coproc SIM { exec "$build/bin/vmksim" --link "$link" --addresses 1,2,3:3; }
sim_pid=$SIM_PID
cleanup() {
  kill -TERM "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if ! read -r line <&"${SIM[0]}" || [ "$line" != "ready $link" ]; then
  echo "screenshot_connected.sh: the simulator did not start (${line:-no output})" >&2
  exit 1
fi

# Run from an empty folder, as scripts/screenshots.sh does.
cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/vmkconf" --screenshots "$work/shots" --screenshot-poll "$link"
mkdir -p "$(dirname "$out")"
cp "$work/shots/page0-tshPolling.png" "$out"
echo "$out"
