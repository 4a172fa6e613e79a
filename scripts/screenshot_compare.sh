#!/usr/bin/env bash
# Saves the comparison window (group 1 against group 2 of a simulated
# device), the change log window after a write whose read-back differs and
# the preview a write shows first, from the window tests under a virtual X
# display.
#   scripts/screenshot_compare.sh [output-dir] [build-dir]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$top/docs/screenshots}")
build=$(realpath -m "${2:-$top/build}")
bash "$top/scripts/build_targets.sh" "$build" test_compare_window test_write_preview_window View
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
XDG_DATA_HOME="$work" VMK_SHOTS="$out" xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/test_compare_window" groupsComparedTakenOverAndWritten \
  aBitRowIsComparedAndLoggedInNamesAndShownWhole
XDG_DATA_HOME="$work" VMK_SHOTS="$out" xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/test_write_preview_window" thePreviewAsksBeforeWriting
ls -1 "$out"/compare-groups.png "$out"/change-log.png "$out"/compare-bits.png "$out"/change-log-bits.png \
  "$out"/write-preview.png
