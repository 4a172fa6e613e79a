#!/usr/bin/env bash
# The Debian package, built from this build tree, unpacked into a
# temporary root and run from there: vmkctl --help, vmksim with vmkctl
# poll, and the window offscreen polling vmksim. lintian must report no
# errors. The installed copy must keep its ini files in the user's folder
# and find its libraries, templates and calibr.ini in lib/vmkconf.
#   test_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The package.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/vmkconf_*.deb)
echo "package: $(basename "$deb")"
dpkg-deb -f "$deb" Depends | tee "$work/depends"
grep -q libqt6widgets6 "$work/depends" || fail "no Qt run-time dependency"

if command -v lintian >/dev/null; then
  # Errors fail the test; warnings are shown.
  lintian --no-tag-display-limit "$deb" | tee "$work/lintian.log" || true
  if grep -q '^E:' "$work/lintian.log"; then fail "lintian reports errors"; fi
else
  echo "lintian is not installed: skipped"
fi

# Installed into a temporary root.
root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/vmkconf usr/bin/vmkctl usr/bin/vmksim usr/bin/vmkosc \
         usr/lib/vmkconf/libView.so usr/lib/vmkconf/libAbout.so usr/lib/vmkconf/calibr.ini \
         usr/lib/vmkconf/template.xlsx usr/share/vmkconf/calibr.ini \
         usr/share/applications/vmkconf.desktop usr/share/applications/vmkosc.desktop \
         usr/share/man/man1/vmkctl.1.gz usr/share/man/man1/vmksim.1.gz \
         usr/share/doc/vmkconf/copyright; do
  [ -e "$root/$f" ] || fail "$f not installed"
done
grep -q '^MimeType=application/x-comtrade-cfg;' "$root/usr/share/applications/vmkosc.desktop" || fail "viewer opens no .cfg"

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
mkdir -p "$HOME"
bin="$root/usr/bin"

"$bin/vmkctl" --help >"$work/help.txt"
grep -q 'poll' "$work/help.txt" || fail "vmkctl --help lists no poll"
"$bin/vmksim" --help >/dev/null

# vmksim and vmkctl poll on the rear connector.
link="$work/vmk0"
coproc SIM { exec "$bin/vmksim" --link "$link" --addresses 1-3; }
sim_pid=$SIM_PID
read -r -t 20 ready <&"${SIM[0]}" || fail "vmksim did not get ready"
[ "${ready%% *}" = ready ] || fail "vmksim said: $ready"
"$bin/vmkctl" --port "$link" --connector rear poll >"$work/poll.txt" || { cat "$work/poll.txt"; fail "vmkctl poll"; }
cat "$work/poll.txt"
[ "$(grep -c 'в сети' "$work/poll.txt")" -ge 3 ] || fail "poll found fewer than three devices"

# The window, offscreen, polling vmksim and saving its pages.
"$bin/vmkconf" --screenshots "$work/shots" --screenshot-poll "$link" >"$work/window.log" 2>&1 ||
  { cat "$work/window.log"; fail "vmkconf"; }
ls "$work/shots"/*.png >/dev/null 2>&1 || fail "vmkconf saved no pictures"

# Nothing written into the installed folders; settings, if any, per user.
written=$(find "$root" -newer "$deb" -type f | grep -v '^$' || true)
[ -z "$written" ] || fail "written into the installed tree: $written"
echo "per-user files: $(find "$XDG_CONFIG_HOME" -type f 2>/dev/null | tr '\n' ' ')"
echo "package test passed"
