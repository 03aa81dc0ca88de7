#!/usr/bin/env bash
# Installs, builds and starts TAVO on its demo program folder, with a simulated
# bus (a TAVO-M at 255 and a TAVO-B at 1) served by tavo-sim on a pseudo-terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tavo tavo-sim
prog="$PWD/build/program"
bus="$prog/tavo-bus"

build/sim/tavo-sim --link "$bus" sim/demo-bus.conf >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$bus" ] && break; sleep 0.1; done

# Point the demo folder's port at the simulated bus; other settings stay.
ini="$prog/TAVO-port.ini"
if [ -f "$ini" ] && grep -qi '^Port=' "$ini"; then
  sed -i "s|^[Pp][Oo][Rr][Tt]=.*\r\?$|Port=$bus\r|" "$ini"
else
  printf '[ComPort1]\r\nPort=%s\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl=None\r\n' "$bus" > "$ini"
fi

cd "$prog"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the program runs under Xvfb (screen 1366x768)." >&2
  xvfb-run -a -s "-screen 0 1366x768x24" ./tavo
else
  ./tavo
fi
