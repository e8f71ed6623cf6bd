#!/usr/bin/env bash
# Prints Dimlet.exe's file size and its memory after start-up, under Wine:
#   BUILD_DIR=build-x bash scripts/bench-dimlet.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" --target bench_dimlet
. "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start "$BUILD_DIR"
cd "$BUILD_DIR/bin"
wine bench_dimlet.exe </dev/null
