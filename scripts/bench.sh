#!/usr/bin/env bash
# Builds and runs the three benchmarks: the JSON round trip natively against RapidJSON and
# nlohmann ordered_json, then the Chromium and Firefox editors under Wine. Ends with one
# summary line per benchmark, all measured in this run:   bash scripts/bench.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$root/build}
CXX=${CXX:-g++}

missing=()
for p in rapidjson-dev nlohmann-json3-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi

work=$BUILD_DIR/bench
mkdir -p "$work"
"$CXX" -std=c++20 -O2 -Wall -Wextra -I"$root" "$root/bench/json/bench_json.cpp" \
  "$root"/pinvane/json/*.cpp -o "$work/bench_json"
bash "$root/scripts/build.sh" --target bench_chromium bench_firefox

log=$work/bench.log
echo "== json (native)" | tee "$log"
"$work/bench_json" | tee -a "$log"

. "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start "$BUILD_DIR"
cd "$BUILD_DIR/bin"
echo "== chromium (Wine)" | tee -a "$log"
wine bench_chromium.exe </dev/null | tr -d '\r' | tee -a "$log"
echo "== firefox (Wine)" | tee -a "$log"
wine bench_firefox.exe </dev/null | tr -d '\r' | tee -a "$log"

echo
for name in json chromium firefox; do
  grep "^$name: " "$log" || { echo "$name: no figures (see $log)" >&2; exit 1; }
done
