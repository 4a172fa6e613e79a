#!/usr/bin/env bash
# Starts a simulated device (vmksim), connects to it on the rear connector
# in the real configurator under a virtual X display, reads the event
# journal, the statistics and the alarm list on their pages and saves the
# three pages (and the event grid scrolled to its state columns).
#   scripts/screenshot_journals.sh [output-dir] [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/docs/screenshots}")
build=$(realpath -m "${2:-$top/build}")
bash "$top/scripts/deps.sh"
bash "$top/scripts/build_targets.sh" "$build" vmkconf vmksim About

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
  echo "screenshot_journals.sh: the simulator did not start (${line:-no output})" >&2
  exit 1
fi

# Run from an empty folder, as scripts/screenshots.sh does.
cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/vmkconf" --screenshots "$work/shots" --screenshot-poll "$link"
mkdir -p "$out"
cp "$work/shots/page4-tshEvents.png" "$out/page4-events.png"
cp "$work/shots/page4-tshEvents-states.png" "$out/page4-events-states.png"
cp "$work/shots/page5-tshStatistic.png" "$out/page5-statistics.png"
cp "$work/shots/page6-tshAlarm.png" "$out/page6-alarms.png"
ls -1 "$out"/page[456]-*.png
