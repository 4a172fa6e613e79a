#!/usr/bin/env bash
# Starts a simulated bus of three devices (vmksim; the one at address 3
# drops and spoils some of its replies), and in the real configurator under
# a virtual X display polls it on the rear connector, refreshes devices 1
# and 3 with "Монитор обмена" open and saves that window, then runs
# "Собрать данные со всех устройств..." and saves the main window with its
# steps and summary.
#   scripts/screenshot_traffic.sh [output-dir] [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/docs/screenshots}")
build=$(realpath -m "${2:-$top/build}")
bash "$top/scripts/deps.sh"
bash "$top/scripts/build_targets.sh" "$build" vmkconf vmksim About

work=$(mktemp -d)
link="$work/bus.pty"
coproc SIM { exec "$build/bin/vmksim" --link "$link" --addresses 1,2,3 \
  --faulty 3 --drop 0.2 --corrupt 0.15 --seed 4; }
sim_pid=$SIM_PID
cleanup() {
  kill -TERM "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if ! read -r line <&"${SIM[0]}" || [ "$line" != "ready $link" ]; then
  echo "screenshot_traffic.sh: the simulator did not start (${line:-no output})" >&2
  exit 1
fi

# Run from an empty folder, as scripts/screenshots.sh does.
cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/vmkconf" --screenshots "$work/shots" --screenshot-poll "$link" --screenshot-traffic
mkdir -p "$out"
cp "$work/shots/traffic-monitor.png" "$out/traffic-monitor.png"
cp "$work/shots/batch.png" "$out/batch.png"
ls -1 "$out/traffic-monitor.png" "$out/batch.png"
