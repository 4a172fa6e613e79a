#!/usr/bin/env bash
# Makes the four reports from a simulated device (vmksim) with vmkctl, has
# LibreOffice Calc print each to PDF as it would on paper, and saves the
# pages as PNG (pdftoppm) to look at. Not part of the tests: it needs
# libreoffice-calc-nogui and poppler-utils, which the build and the tests
# do not.
#   scripts/report_look.sh [output-dir] [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/docs/screenshots}")
build=$(realpath -m "${2:-$top/build}")
if ! command -v soffice >/dev/null || ! command -v pdftoppm >/dev/null; then
  echo "report_look.sh: needs LibreOffice and pdftoppm (apt-get install libreoffice-calc-nogui poppler-utils)" >&2
  exit 1
fi
cmake --build "$build" --target vmkctl vmksim View report_templates

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
  echo "report_look.sh: the simulator did not start (${line:-no output})" >&2
  exit 1
fi

mkdir -p "$out"
for kind in device events stats alarms; do
  "$build/bin/vmkctl" --port "$link" --connector rear --address 1 \
    report -o "$work/report-$kind.xlsx" --kind "$kind" >/dev/null
  # A profile of its own, so that no user's LibreOffice settings count.
  HOME="$work" soffice --headless -env:UserInstallation="file://$work/lo" \
    --convert-to pdf --outdir "$work" "$work/report-$kind.xlsx" >/dev/null 2>&1
  pdftoppm -png -r 70 "$work/report-$kind.pdf" "$work/page-$kind"
  for page in "$work"/page-"$kind"-*.png; do
    n=$(basename "$page" .png); n=${n##*-}; n=$((10#$n))
    cp "$page" "$out/report-$kind-$n.png"
    echo "$out/report-$kind-$n.png"
  done
done
