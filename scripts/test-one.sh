#!/usr/bin/env bash
# Builds the named test targets and runs just those tests under Wine:
#   BUILD_DIR=build-x bash scripts/test-one.sh test_json [test_run ...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
[ $# -ge 1 ] || { echo "usage: test-one.sh <test target>..." >&2; exit 2; }

targets=()
for t in "$@"; do targets+=(--target "$t"); done
bash "$root/scripts/build.sh" "${targets[@]}"

. "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start "$BUILD_DIR"
regex="^($(IFS='|'; echo "$*"))\$"
ctest --test-dir "$BUILD_DIR" --output-on-failure -R "$regex" </dev/null
