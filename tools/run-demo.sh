#!/usr/bin/env bash
# Installs, builds and starts TAVO on its demo program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
prog=build/program
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the program under Xvfb (screen :99)." >&2
  exec xvfb-run -a -s "-screen 0 1366x768x24" "$prog/tavo"
fi
exec "$prog/tavo"
