#!/usr/bin/env bash
# Builds and runs the places editor benchmark under Wine:
#   BUILD_DIR=build-x bash scripts/bench-firefox.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" --target bench_firefox
. "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start "$BUILD_DIR"
cd "$BUILD_DIR/bin"
wine bench_firefox.exe </dev/null
