#!/usr/bin/env bash
# Installs what is missing, builds, and runs Pinvane on a bundled sample under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" --target Pinvane

. "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start "$BUILD_DIR"

run="$root/sample-run"
rm -rf "$run"
mkdir -p "$run"
cp "$BUILD_DIR/bin/Pinvane.exe" "$run/"
status=0
wine "$run/Pinvane.exe" --no-dialog </dev/null || status=$?
echo "Pinvane.exe exit code: $status"
echo "--- Pinvane.log"
cat "$run/Pinvane.log" 2>/dev/null | sed '1s/^\xEF\xBB\xBF//' | tr -d '\r'
