#!/usr/bin/env bash
# Installs, builds and runs every test. With --sanitize: the same under ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
dir=build; opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan; opts=(-DCMAKE_BUILD_TYPE=Debug -DTAVO_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$dir" "${opts[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
