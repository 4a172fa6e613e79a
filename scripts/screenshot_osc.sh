#!/usr/bin/env bash
# Starts a simulated device (vmksim), downloads the oscillogram of alarm
# entry 0 with vmkctl osc, and saves the viewer (vmkosc) showing it under a
# virtual X display.
#   scripts/screenshot_osc.sh [output-dir] [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/docs/screenshots}")
build=$(realpath -m "${2:-$top/build}")
bash "$top/scripts/deps.sh"
bash "$top/scripts/build_targets.sh" "$build" vmkosc vmkctl vmksim View

work=$(mktemp -d)
link="$work/bus.pty"
coproc SIM { exec "$build/bin/vmksim" --link "$link" --addresses 1; }
sim_pid=$SIM_PID
cleanup() {
  kill -TERM "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if ! read -r line <&"${SIM[0]}" || [ "$line" != "ready $link" ]; then
  echo "screenshot_osc.sh: the simulator did not start (${line:-no output})" >&2
  exit 1
fi

cd "$work"
"$build/bin/vmkctl" --port "$link" --baud 115200 osc --entry 0 -o "$work/fault"
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/vmkosc" "$work/fault.cfg" --screenshot "$out/oscview.png"
ls -1 "$out/oscview.png"
