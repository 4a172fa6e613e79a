#!/usr/bin/env bash
# Installs what is missing, builds, starts a simulated bus of three devices
# (vmksim) and the configurator pointed at it, and stops the simulator when
# the configurator exits.
#
# The port settings files Front.ini and Rear.ini beside the program are
# pointed at the simulator only when they do not exist yet or still name
# the default port COM1; a file that names another port is left as it is.
# VMK_NO_SIM=1 starts the configurator alone.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh"
bash "$top/scripts/build.sh" "$top/build"
bin="$top/build/bin"

if [ "${VMK_NO_SIM:-0}" = 1 ]; then
  exec "$bin/vmkconf" "$@"
fi

rundir=${XDG_RUNTIME_DIR:-/tmp}
link="$rundir/vmksim-$(id -u).pty"

point_ini() {
  local ini="$bin/$1"
  if [ ! -e "$ini" ]; then
    printf '[Port1]\r\nPort=%s\r\nBaudRate=9600\r\nDataBits=8\r\nParity=None\r\nStopBits=1\r\nFlowControl=None\r\n' \
      "$link" >"$ini"
    echo "run.sh: $1 created for the simulated bus at $link"
  elif grep -Eq '^Port=COM1'$'\r''?$' "$ini"; then
    sed -i -E 's#^Port=COM1(\r?)$#Port='"$link"'\1#; s#^FlowControl=[^\r]*(\r?)$#FlowControl=None\1#' "$ini"
    echo "run.sh: $1 held the default port COM1; now it names the simulated bus at $link"
  elif ! grep -Fq "Port=$link" "$ini"; then
    echo "run.sh: $1 names another port; left as it is (the simulated bus is at $link)"
  fi
}

coproc SIM { exec "$bin/vmksim" --link "$link" --addresses 1,2,3:3; }
sim_pid=$SIM_PID
stop_sim() {
  if kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
}
trap stop_sim EXIT INT TERM

if read -r line <&"${SIM[0]}" && [ "$line" = "ready $link" ]; then
  echo "run.sh: simulated devices at addresses 1, 2 and 3 (3 is a variant-3 device) on $link"
  point_ini Front.ini
  point_ini Rear.ini
else
  echo "run.sh: the simulator did not start (${line:-no output}); starting the configurator alone" >&2
fi

status=0
"$bin/vmkconf" "$@" || status=$?
exit $status
