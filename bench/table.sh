#!/usr/bin/env bash
# Builds and runs the table engine benchmark; prints its figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-bench}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target bench_table >/dev/null
"$build/bench/bench_table"
