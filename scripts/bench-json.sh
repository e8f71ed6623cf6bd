#!/usr/bin/env bash
# Builds and runs the native JSON round-trip benchmark against RapidJSON and
# nlohmann ordered_json:  bash scripts/bench-json.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${BUILD_DIR:-$root/build}/bench-json
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

mkdir -p "$work"
"$CXX" -std=c++20 -O2 -Wall -Wextra -I"$root" "$root/bench/json/bench_json.cpp" \
  "$root"/pinvane/json/*.cpp -o "$work/bench_json"
"$work/bench_json" "$@"
