#!/usr/bin/env bash
# The Debian package, built from this build tree, installed by dpkg into a
# temporary root and run from there: vmkctl --help, vmksim with vmkctl
# poll, and the window offscreen polling vmksim; then removed by dpkg.
# lintian must report neither errors nor warnings, and this machine must
# satisfy the package's Depends. The installed copy must keep its ini files
# in the user's folder, find its libraries, templates and calibr.ini in
# lib/<triplet>/vmkconf, and find Qt's Russian translation.
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
grep -q qt6-translations-l10n "$work/depends" || fail "no dependency on Qt's translations"

if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" 2>/dev/null | tee "$work/lintian.log" || true
  if grep -q '^[EW]:' "$work/lintian.log"; then fail "lintian reports errors or warnings"; fi
  [ -s "$work/lintian.log" ] || echo "lintian: no tags"
else
  echo "lintian is not installed: skipped"
fi
# The private libraries lie outside ldconfig's folders: the package has no
# maintainer scripts (nor could they run in a temporary root).
dpkg-deb --ctrl-tarfile "$deb" | tar -t >"$work/control.list"
if grep -Eq '(preinst|postinst|prerm|postrm)$' "$work/control.list"; then
  fail "maintainer scripts: $(tr '\n' ' ' <"$work/control.list")"
fi
# This machine's packages satisfy the Depends: apt would install nothing else.
apt-get install -s "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt cannot install the package"; }
if grep '^Inst ' "$work/apt.log" | grep -v '^Inst vmkconf '; then fail "Depends not satisfied here"; fi

# Installed by dpkg into a temporary root of its own database. The root holds
# no other package, hence --force-depends (checked against this machine above).
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
in_root() { PATH="$PATH:/usr/sbin:/sbin" dpkg --root="$root" --force-not-root --force-depends "$@"; }
in_root -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
libdir=$(cd "$root" && ls -d usr/lib/*/vmkconf) || fail "no program folder in usr/lib/<triplet>"
for f in usr/bin/vmkconf usr/bin/vmkctl usr/bin/vmksim usr/bin/vmkosc \
         "$libdir/libView.so" "$libdir/libAbout.so" "$libdir/calibr.ini" \
         "$libdir/template.xlsx" usr/share/vmkconf/calibr.ini \
         usr/share/applications/vmkconf.desktop usr/share/applications/vmkosc.desktop \
         usr/share/man/man1/vmkctl.1.gz usr/share/man/man1/vmksim.1.gz \
         usr/share/doc/vmkconf/copyright; do
  [ -e "$root/$f" ] || fail "$f not installed"
done
grep -q '^MimeType=application/x-comtrade-cfg;' "$root/usr/share/applications/vmkosc.desktop" || fail "viewer opens no .cfg"
grep -q '^MimeType=.*application/x-comtrade-cff;' "$root/usr/share/applications/vmkosc.desktop" || fail "viewer opens no .cff"
grep -q 'glob pattern="\*\.cff"' "$root/usr/share/mime/packages/vmkosc.xml" || fail "no file type for .cff"

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
# Qt's dialogs in Russian: the installed window found Qt's translation.
if grep -q 'qtbase_ru' "$work/window.log"; then cat "$work/window.log"; fail "no Qt translation"; fi

# Nothing written into the installed folders; settings, if any, per user.
written=$(find "$root" -path "$root/var/lib/dpkg" -prune -o -newer "$work/dpkg.log" -type f -print)
[ -z "$written" ] || fail "written into the installed tree: $written"
echo "per-user files: $(find "$XDG_CONFIG_HOME" -type f 2>/dev/null | tr '\n' ' ')"

# Removed by dpkg: nothing of it is left.
in_root -r vmkconf >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
left=$(find "$root" -path "$root/var" -prune -o ! -type d -print)
[ -z "$left" ] || fail "left after removal: $left"
echo "package test passed"
