#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

. "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start "$BUILD_DIR"

status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 600 "$@" </dev/null || status=$?
exit $status
