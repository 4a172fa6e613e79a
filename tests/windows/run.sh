#!/usr/bin/env bash
# The Windows programs under Wine against the Linux simulator: vmkctl.exe
# on a COM port mapped onto vmksim's pseudo-terminal, checked against the
# Linux vmkctl on the same bus; vmksim.exe serving over TCP, polled by
# vmkctl.exe and the Linux vmkctl; vmkconf.exe polling offscreen; the
# daylight-saving registry value; the installer installed and removed
# silently. A Wine prefix of its own in a temporary folder, WINEDEBUG=-all.
#   tests/windows/run.sh DIST HOST_BUILD [SCREENSHOTS]
# DIST holds vmkconf/ (the program folder), the installer and tests/ (the
# test of the Windows seams and the DLLs it needs besides); HOST_BUILD
# the native build with vmksim and vmkctl. With SCREENSHOTS (a folder),
# also pictures of vmkconf.exe connected and of vmkosc.exe, made under Xvfb
# with Qt's windows platform: windows-vmkconf.png, windows-vmkosc.png.
set -uo pipefail
dist=$(realpath "$1")
host=$(realpath "$2")
shots=${3:+$(realpath -m "$3")}
here=$(cd "$(dirname "$0")" && pwd)

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
work=$(mktemp -d /tmp/vmk-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
sim_pids=()
cleanup() {
  local p
  for p in "${sim_pids[@]}"; do kill -TERM "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  "$wineserver" -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
passed=0
check() {
  local name=$1
  shift
  if "$@"; then
    echo "ok   $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name"
    failures=$((failures + 1))
  fi
}

# Two files with the same bytes; else where they part.
same() {
  cmp -s "$1" "$2" && return 0
  cmp "$1" "$2" 2>&1 | head -1
  diff "$1" "$2" | head -6 | iconv -f cp1251 -t utf-8 2>/dev/null
  return 1
}

# A simulated bus on a pseudo-terminal at $1 (more vmksim options after it).
start_sim() {
  local link=$1
  shift
  "$host/bin/vmksim" --link "$link" "$@" >"$link.out" 2>&1 &
  sim_pids+=($!)
  local i
  for i in $(seq 50); do
    grep -q "^ready " "$link.out" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the simulator did not start: $(cat "$link.out")" >&2
  exit 1
}

echo "Wine prefix $WINEPREFIX"
"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w
cd "$work"
start_sim "$work/bus" --addresses 1,2,3:3
# COM5 is the simulator's pseudo-terminal.
ln -sf "$(readlink -f "$work/bus")" "$WINEPREFIX/dosdevices/com5"

# A portable copy: the program folder as the zip holds it.
portable=$WINEPREFIX/drive_c/vmkconf
cp -r "$dist/vmkconf" "$portable"
cp "$dist"/tests/* "$portable/"
win() { "$wine" "$portable/$1" "${@:2}" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
lin() { "$host/bin/vmkctl" "$@" 2>&1; }

# The Windows seams on their own: the serial link on COM5, the port list
# (with two ports more in the registry), folders, registry, tables.
for port in 2 12; do
  "$wine" reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v "\\Device\\VmkTest$port" /t REG_SZ /d "COM$port" /f >/dev/null 2>&1
done
VMK_TEST_PORT=COM5 win test_windows_seams.exe >seams.out
rc=$?
check "test_windows_seams.exe" test "$rc" -eq 0
[ "$rc" -eq 0 ] || grep -E '^(FAIL|   Loc|   Actual|   Expected)' seams.out
grep '^Totals' seams.out

# vmkctl.exe against the Linux vmkctl on the same bus.
win vmkctl.exe --help >help.win
rc=$?
check "vmkctl.exe --help: exit code 0" test "$rc" -eq 0
check "vmkctl.exe --help: the usage" grep -q '^Usage: vmkctl' help.win

win vmkctl.exe --port COM5 --connector rear poll >poll.win
lin --port "$work/bus" --connector rear poll >poll.lin
check "poll: the three devices" test "$(grep -c 'в сети$' poll.win)" -eq 3
check "poll: as on Linux" same poll.win poll.lin

# The device's clock goes on between the two runs: its line differs.
win vmkctl.exe --port COM5 --connector rear --address 3 info | grep -v '^Дата и время' >info.win
lin --port "$work/bus" --connector rear --address 3 info | grep -v '^Дата и время' >info.lin
check "info: the connection report of device 3" grep -q 'ВМК-03' info.win
check "info: as on Linux" same info.win info.lin

win vmkctl.exe --port COM5 params get -o win.ust >/dev/null
lin --port "$work/bus" params get -o lin.ust >/dev/null
# Windows writes ini files with CR LF line ends (SimpleIni's own choice
# there), Linux with LF: the bytes are the same otherwise.
tr -d '\r' <win.ust >win-lf.ust
check "params get: the .ust is Linux's but for CR LF line ends" same win-lf.ust lin.ust
check "params get: the Linux vmkctl reads it as its own" lin params diff win.ust lin.ust

# A settings write from Windows, read back by Linux.
from=$(printf 'Первичный ток ТТ=600' | iconv -f utf-8 -t cp1251)
to=$(printf 'Первичный ток ТТ=750' | iconv -f utf-8 -t cp1251)
LC_ALL=C sed "s/$from/$to/" lin.ust >edit.ust
win vmkctl.exe --port COM5 params set edit.ust --password AAAA >set.win
lin --port "$work/bus" params get -o after.ust >/dev/null
check "params set: Linux reads the value Windows wrote" grep -q "$to" after.ust
lin --port "$work/bus" params set lin.ust --password AAAA >/dev/null

win vmkctl.exe --port COM5 events >events.win
lin --port "$work/bus" events >events.lin
check "events: the journal as on Linux" same events.win events.lin
check "events: it has entries" test "$(wc -l <events.win)" -gt 10

win vmkctl.exe --port COM5 osc --entry 0 -o osc-win >/dev/null
lin --port "$work/bus" osc --entry 0 -o osc-lin >/dev/null
check "osc: the .cfg is Linux's, byte for byte" same osc-win.cfg osc-lin.cfg
check "osc: the .dat is Linux's, byte for byte" same osc-win.dat osc-lin.dat

# vmksim.exe serves over TCP (the demo without a device): as a serial
# device server vmkctl.exe and the Linux vmkctl poll it alike; as a Modbus
# TCP gateway the Linux vmkctl reads a device's identity through it.
# A Wine process left running would hold up every "wineserver -w" below:
# each simulator is stopped once its checks are done.
start_win_sim() {  # start_win_sim NAME OPTIONS...: the port in $win_port
  local name=$1 i
  shift
  "$wine" "$portable/vmksim.exe" --tcp 127.0.0.1:0 "$@" >"$name.out" 2>&1 &
  win_sim=$!
  sim_pids+=("$win_sim")
  win_port=
  for i in $(seq 100); do
    win_port=$(tr -d '\r' <"$name.out" | sed -n 's/^ready 127\.0\.0\.1:\([0-9]*\)$/\1/p')
    [ -n "$win_port" ] && return 0
    sleep 0.1
  done
  echo "vmksim.exe did not start: $(cat "$name.out")" >&2
  return 1
}
stop_win_sim() {
  kill -TERM "$win_sim" 2>/dev/null
  wait "$win_sim" 2>/dev/null
}
if check "vmksim.exe: listens on TCP" start_win_sim winsim --addresses 1,2,3:3; then
  win vmkctl.exe --port "tcp://127.0.0.1:$win_port" --connector rear poll >tcppoll.win
  lin --port "tcp://127.0.0.1:$win_port" --connector rear poll >tcppoll.lin
  check "vmksim.exe: vmkctl.exe polls it over TCP" same tcppoll.win poll.lin
  check "vmksim.exe: the Linux vmkctl polls it over TCP" same tcppoll.lin poll.lin
fi
stop_win_sim
if check "vmksim.exe --mbap: listens on TCP" start_win_sim winmbap --mbap --addresses 1,2,3:3; then
  lin --port "mbtcp://127.0.0.1:$win_port" --connector rear --address 3 info | grep -v '^Дата и время' >info.mbap
  check "vmksim.exe --mbap: the identity through the gateway" same info.mbap info.lin
fi
stop_win_sim
win vmksim.exe --link com9 >winsim-link.out
check "vmksim.exe --link: refused, TCP only on Windows" \
  test "$?" -eq 2 -a "$(grep -c 'serves over TCP only' winsim-link.out)" -eq 1

# The configurator polls the bus offscreen and saves its pages.
win vmkconf.exe -platform offscreen --screenshots shots --screenshot-poll COM5 >vmkconf.out
check "vmkconf.exe: polls the bus offscreen" test -s shots/page0-tshPolling.png

# The zip runs from any folder: unpacked under a name with spaces and
# Cyrillic letters.
unpacked="$WINEPREFIX/drive_c/Мои программы"
mkdir -p "$unpacked" && (cd "$unpacked" && unzip -q "$(ls "$dist"/vmkconf-*-win64.zip)")
"$wine" "$unpacked/vmkconf/vmkctl.exe" --port COM5 --connector rear poll 2>&1 | tr -d '\r' >poll.zip
check "zip: vmkctl.exe polls from an unpacked copy" same poll.zip poll.lin

# The daylight-saving notice keeps its state in the registry: a run of the
# configurator writes it (1, winter: every date after the table).
"$wine" reg delete 'HKLM\Software\Varnet' /v WinterTime /f >/dev/null 2>&1
"$wine" "$portable/vmkconf.exe" -platform offscreen >/dev/null 2>&1 &
conf=$!
for i in $(seq 60); do
  "$wine" reg query 'HKLM\Software\Varnet' /v WinterTime 2>/dev/null | tr -d '\r' >reg.out
  grep -q WinterTime reg.out && break
  sleep 1
done
kill "$conf" 2>/dev/null
wait "$conf" 2>/dev/null
check "registry: WinterTime written by vmkconf.exe" grep -Eq 'WinterTime +REG_DWORD +0x1$' reg.out

# The installer, silently; the programs run from Program Files; the
# uninstaller takes its files and leaves the user's.
installed="$WINEPREFIX/drive_c/Program Files/vmkconf"
"$wine" "$(ls "$dist"/vmkconf-*-setup.exe)" /S >/dev/null 2>&1
"$wineserver" -w
check "installer: the programs are in Program Files" test -f "$installed/vmkconf.exe" -a -f "$installed/View.dll" -a -f "$installed/About.dll"
"$wine" "$installed/vmkctl.exe" --port COM5 --connector rear poll 2>&1 | tr -d '\r' >poll.installed
check "installer: vmkctl.exe polls from Program Files" same poll.installed poll.lin
check "installer: a Start-menu entry" test -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ВМК-01/Конфигуратор ВМК.lnk"
"$wine" reg query 'HKLM\Software\Classes\.cfg' 2>/dev/null | tr -d '\r' >cfg.reg
check "installer: .cfg opens in the viewer" grep -q 'vmkconf.comtrade' cfg.reg
"$wine" "$installed/vmkconf.exe" -platform offscreen --screenshots installed-shots --screenshot-poll COM5 >/dev/null 2>&1
check "installer: vmkconf.exe polls from Program Files" test -s installed-shots/page0-tshPolling.png
echo "a note of the user's" >"$installed/notes.txt"
appdata=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/vmkconf
mkdir -p "$appdata" && echo "[Port1]" >"$appdata/Front.ini"
"$wine" "$installed/uninstall.exe" /S >/dev/null 2>&1
"$wineserver" -w
for i in $(seq 30); do [ -f "$installed/vmkconf.exe" ] || break; sleep 1; done
check "uninstaller: the programs are gone" test ! -e "$installed/vmkconf.exe" -a ! -e "$installed/plugins"
check "uninstaller: the user's files stay" test -f "$installed/notes.txt" -a -f "$appdata/Front.ini"
check "uninstaller: the Start-menu folder is gone" test ! -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ВМК-01"

if [ -n "$shots" ]; then
  # Qt's windows platform under Xvfb (the offscreen one has no fonts under
  # Wine): the configurator connected to device 1, the viewer on the
  # oscillogram downloaded above.
  mkdir -p "$shots"
  xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$portable/vmkconf.exe" \
    --screenshots "$work/shots-x" --screenshot-poll COM5 >/dev/null 2>&1
  "$wineserver" -w
  cp "$work/shots-x/page0-tshPolling.png" "$shots/windows-vmkconf.png" 2>/dev/null
  xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$portable/vmkosc.exe" osc-win.cfg \
    --screenshot "$shots/windows-vmkosc.png" >/dev/null 2>&1
  "$wineserver" -w
  check "screenshot of vmkconf.exe" test -s "$shots/windows-vmkconf.png"
  check "screenshot of vmkosc.exe" test -s "$shots/windows-vmkosc.png"
fi

# The exchange figures: the identity reads (info) and the setup reads
# (params get) at 9600 bit/s against a simulator that takes the wire's
# time, Linux beside Wine, from the response times vmkctl --trace gives.
start_sim "$work/paced" --addresses 1 --pace --baud 9600
ln -sf "$(readlink -f "$work/paced")" "$WINEPREFIX/dosdevices/com6"
figures() {  # figures LABEL RUNS COMMAND...
  local label=$1 runs=$2 lin_sum="" win_sum="" i
  shift 2
  for i in $(seq "$runs"); do
    "$host/bin/vmkctl" --port "$work/paced" --baud 9600 --trace "$@" 2>&1 >/dev/null
  done | awk -v baud=9600 -v turnaround=5 -v bits=10 -f "$here/exchange_figures.awk" >fig.lin
  for i in $(seq "$runs"); do
    "$wine" "$portable/vmkctl.exe" --port COM6 --baud 9600 --trace "$@" 2>&1 >/dev/null | tr -d '\r'
  done | awk -v baud=9600 -v turnaround=5 -v bits=10 -f "$here/exchange_figures.awk" >fig.win
  read -r n bytes lin_ms wire lin_ratio <fig.lin
  read -r wn wbytes win_ms wwire win_ratio <fig.win
  printf '%-22s %9s %7s %12s %18s %18s\n' "$label" "$n" "$bytes" "$wire" "$lin_ms ($lin_ratio)" \
    "$win_ms ($win_ratio)"
  [ "$n" = "$wn" ] && [ "$bytes" = "$wbytes" ]
}
echo
echo "Exchange figures, 9600 bit/s, vmksim --pace (turnaround 5 ms); ratio = measured / (wire + turnaround):"
printf '%-22s %9s %7s %12s %18s %18s\n' "" exchanges bytes "wire+turn ms" "Linux ms (ratio)" "Wine ms (ratio)"
check "figures: identity reads, the same exchanges" figures "identity (info) x5" 5 info
check "figures: setup reads, the same exchanges" figures "setup (params get) x3" 3 params get -o figures.ust
echo

echo "Wine tests: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
