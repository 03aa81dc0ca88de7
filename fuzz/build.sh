#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz with clang++-14 (see fuzz/CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_dbf fuzz_field_lines fuzz_user_settings fuzz_port_ini \
  fuzz_reply_decoder fuzz_bus_config fuzz_working_set fuzz_watermark
