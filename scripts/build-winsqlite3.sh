#!/usr/bin/env bash
# Wine has no winsqlite3.dll, so the tests get one made from Debian's sqlite3
# source package with mingw:
#   build-winsqlite3.sh <output dll> <cache folder>
# The result is cached per source version (PINVANE_CACHE_DIR overrides the
# cache folder, so several build folders can share one build).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: build-winsqlite3.sh <output dll> <cache folder>" >&2; exit 2; }
output=$1
cache=${PINVANE_CACHE_DIR:-$2}
cc=${MINGW_CC:-x86_64-w64-mingw32-gcc-posix}

# Same version as the header we compile against, when the archive still has it.
version=$(dpkg-query -W -f='${Version}' libsqlite3-dev 2>/dev/null || true)
cached="$cache/winsqlite3-${version:-latest}.dll"

if [ ! -f "$cached" ]; then
  mkdir -p "$cache"
  work=$(mktemp -d "$cache/winsqlite3-work.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  (
    cd "$work"
    if [ -n "$version" ]; then
      apt-get source -q "sqlite3=$version" </dev/null >source.log 2>&1 ||
        apt-get source -q sqlite3 </dev/null >>source.log 2>&1
    else
      apt-get source -q sqlite3 </dev/null >source.log 2>&1
    fi
  ) || { cat "$work/source.log" >&2; echo "apt-get source sqlite3 failed (deb-src enabled? see scripts/install-deps.sh)" >&2; exit 1; }
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)
  [ -n "$src" ] || { echo "no sqlite3 source tree in $work" >&2; exit 1; }

  # The source package is the full tree; the amalgamation is generated natively.
  mkdir "$work/native"
  (
    cd "$work/native"
    "$src/configure" --disable-tcl --disable-readline >configure.log 2>&1
    make -j"$(nproc)" sqlite3.c >make.log 2>&1
  ) || { tail -n 40 "$work"/native/*.log >&2; exit 1; }

  "$cc" -O2 -shared -o "$work/winsqlite3.dll" "$work/native/sqlite3.c" \
    -I"$work/native" -DSQLITE_API='__declspec(dllexport)' -DSQLITE_THREADSAFE=1 \
    -DSQLITE_ENABLE_COLUMN_METADATA -static -static-libgcc -s
  # Published by rename so a parallel build never sees half a file.
  mv -f "$work/winsqlite3.dll" "$cached"
fi

mkdir -p "$(dirname "$output")"
cp -f "$cached" "$output.tmp"
mv -f "$output.tmp" "$output"
