#!/usr/bin/env bash
# Builds the JSON parser's libFuzzer target natively and runs it for a bounded time:
#   bash scripts/fuzz-json.sh [seconds]        (default 60)
# Work files go to $BUILD_DIR/fuzz-json (default build/fuzz-json); the seed corpus in
# tests/json/fuzz/corpus is only read. Findings are left as crash-* files there.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
work=${BUILD_DIR:-$root/build}/fuzz-json
. "$root/scripts/fuzz-toolchain.sh"

mkdir -p "$work/corpus"
"$CXX" -std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -I"$root" \
  "$root/tests/json/fuzz/fuzz_json.cpp" "$root/tests/json/fuzz/reference_json.cpp" \
  "$root"/pinvane/json/*.cpp -o "$work/fuzz_json"

cd "$work"
./fuzz_json -max_total_time="$seconds" -max_len=8192 -timeout=10 \
  -dict="$root/tests/json/fuzz/json.dict" -print_final_stats=1 \
  corpus "$root/tests/json/fuzz/corpus"
