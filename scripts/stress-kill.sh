#!/usr/bin/env bash
# Kills Pinvane at 250 moments of a large run (8 Chromium profiles of 2 MB each,
# 3 Firefox profiles, 120 bookmarks) and checks every bookmark store after each kill
# and after a next, uninterrupted run. Not part of CI: it takes a while.
#   bash scripts/stress-kill.sh
# Ends with "kill stress: N kills, M damaged"; exits non-zero when anything was damaged.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" --target test_pinvane_e2e

# Its own copy of the binaries and its own Wine prefix, so that builds and test runs
# in the same build folder can go on meanwhile.
work=$BUILD_DIR/stress-kill
mkdir -p "$work"
rm -rf "$work/bin"
cp -r "$BUILD_DIR/bin" "$work/bin"
. "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start "$work"

log=$work/stress-kill.log
status=0
(cd "$work/bin" && wine ./test_pinvane_e2e.exe --gtest_also_run_disabled_tests \
  --gtest_filter=PinvaneKill.DISABLED_Stress) </dev/null >"$log" 2>&1 || status=$?
grep -E '^(uninterrupted run|kill at)' "$log" || true
line=$(tr -d '\r' <"$log" | grep '^kill stress:' | tail -n 1 || true)
if [ -z "$line" ]; then
  cat "$log"
  echo "kill stress: did not finish (exit $status)"
  exit 1
fi
damaged=$(echo "$line" | sed -n 's/.*, \([0-9]*\) damaged$/\1/p')
echo "$line"
[ "$status" -eq 0 ] && [ "${damaged:-1}" -eq 0 ]
