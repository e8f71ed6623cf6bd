#!/usr/bin/env bash
# Builds Pinvane and Dimlet in release mode and writes the release package, one zip with
# Pinvane.exe, the sample Pinvane.ini, Dimlet.exe and ReadMe.txt:
#   bash scripts/package.sh        -> build-release/Pinvane-Dimlet-<version>.zip
# BUILD_DIR picks another release build folder, OUT another zip path.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" </dev/null >/dev/null
fi
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
if [ "$type" != Release ]; then
  echo "package.sh: $build is a '$type' build; the package needs Release" >&2
  exit 1
fi
cmake --build "$build" --target Pinvane --target Dimlet </dev/null >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
out=${OUT:-$build/Pinvane-Dimlet-$version.zip}
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$build/bin/Pinvane.exe" "$build/bin/Dimlet.exe" "$root/sample/Pinvane.ini" "$stage/"
# Notepad-friendly line ends for the read-me.
sed 's/\r$//; s/$/\r/' "$root/scripts/release/ReadMe.txt" >"$stage/ReadMe.txt"
rm -f "$out"
(cd "$stage" && zip -q -X -D "$out" ReadMe.txt Pinvane.exe Pinvane.ini Dimlet.exe)
echo "$out"
