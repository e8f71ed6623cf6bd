#!/usr/bin/env bash
# Builds the settings reader's libFuzzer target natively and runs it for a bounded time:
#   bash scripts/fuzz-settings.sh [seconds]        (default 60)
# Work files go to $BUILD_DIR/fuzz-settings (default build/fuzz-settings); the seed corpus in
# tests/run/fuzz/corpus is only read. Findings are left as crash-* files there.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
work=${BUILD_DIR:-$root/build}/fuzz-settings
. "$root/scripts/fuzz-toolchain.sh"

# The reader is portable; its few Windows-only callees have native stand-ins.
mkdir -p "$work/corpus"
"$CXX" -std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I"$root" \
  "$root/tests/run/fuzz/fuzz_settings.cpp" "$root/tests/run/fuzz/NativeSupport.cpp" \
  "$root/pinvane/run/Settings.cpp" "$root/pinvane/support/PlainText.cpp" -o "$work/fuzz_settings"

cd "$work"
./fuzz_settings -max_total_time="$seconds" -max_len=16384 -timeout=10 \
  -dict="$root/tests/run/fuzz/settings.dict" -print_final_stats=1 \
  corpus "$root/tests/run/fuzz/corpus"
