#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 30) each, seeded from its corpus
# folder fuzz/<target>/ (sample files and the regression inputs of defects
# found, which must keep passing). New inputs go to build-fuzz/corpus only.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
[ -d build-fuzz ] || bash fuzz/build.sh
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
for target in fuzz_dbf fuzz_field_lines fuzz_user_settings fuzz_port_ini fuzz_reply_decoder fuzz_bus_config \
  fuzz_working_set fuzz_watermark; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== $target: ${seconds} s"
  "build-fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="build-fuzz/$target-" "$corpus" "fuzz/seeds/$target"
done
