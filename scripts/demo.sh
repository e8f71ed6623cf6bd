#!/usr/bin/env bash
# Installs what is missing, builds, and runs Pinvane on the bundled sample under
# Wine: two Edge profiles, one Chrome profile and one Firefox profile.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" --target Pinvane winsqlite3_dll

. "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start "$BUILD_DIR"

run="$root/sample-run"
rm -rf "$run"
mkdir -p "$run"
cp "$BUILD_DIR/bin/Pinvane.exe" "$BUILD_DIR/bin/winsqlite3.dll" "$root/sample/Pinvane.ini" "$run/"
cp -r "$root/sample/profiles" "$run/profiles"
places="$run/profiles/Firefox/Profiles/k2x9w1qe.default-release"
mkdir -p "$places"
{ cat "$root/tests/fixtures/places-schema.sql" "$root/tests/fixtures/places-seed.sql"
  echo "PRAGMA journal_mode=WAL;"; } | sqlite3 "$places/places.sqlite" >/dev/null

echo "=== Before"
python3 "$root/scripts/show-bookmarks.py" "$run/profiles"

win() { winepath -w "$1" 2>/dev/null; }
options=(--no-dialog "--edge-dir=$(win "$run/profiles/Edge")"
         "--chrome-dir=$(win "$run/profiles/Chrome")" "--firefox-dir=$(win "$run/profiles/Firefox")")
show_log() { sed '1s/^\xEF\xBB\xBF//' "$run/Pinvane.log" | tr -d '\r'; }

status=0
wine "$run/Pinvane.exe" --preview "${options[@]}" </dev/null || status=$?
echo "=== Preview: Pinvane.log (exit code $status)"
show_log

status=0
wine "$run/Pinvane.exe" "${options[@]}" </dev/null || status=$?
echo "=== Run: Pinvane.log (exit code $status)"
show_log
echo "=== After"
python3 "$root/scripts/show-bookmarks.py" "$run/profiles"
echo "=== Backup"
(cd "$run" && find Backup -type f | sort)
