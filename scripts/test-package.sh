#!/usr/bin/env bash
# Checks the release package made from a release build folder: exactly the four files, the
# executables byte for byte those of the build, stripped, 64-bit GUI programs, the sample
# settings file as shipped, and a read-me that covers what administrators need.
#   test-package.sh <release build folder>
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }

zip=$(BUILD_DIR="$build" OUT="$work/package.zip" bash "$root/scripts/package.sh")
unzip -q "$zip" -d "$work/unpacked"
check "four files, nothing else" \
  '[ "$(cd "$work/unpacked" && find . -type f | sort | tr "\n" " ")" = "./Dimlet.exe ./Pinvane.exe ./Pinvane.ini ./ReadMe.txt " ]'
check "no test stand-in DLL" '! unzip -l "$zip" | grep -qi "\.dll"'
check "sample settings file as shipped" 'cmp -s "$root/sample/Pinvane.ini" "$work/unpacked/Pinvane.ini"'
check "sample settings file is commented" 'grep -q "^;" "$work/unpacked/Pinvane.ini"'
check "release build folder" 'grep -q "^CMAKE_BUILD_TYPE:[A-Z]*=Release$" "$build/CMakeCache.txt"'

for exe in Pinvane.exe Dimlet.exe; do
  file="$work/unpacked/$exe"
  check "$exe is the build's own" 'cmp -s "$build/bin/$exe" "$file"'
  check "$exe is a 64-bit GUI program" 'file -b "$file" | grep -q "^PE32+ executable (GUI) x86-64"'
  # Stripped: no COFF symbol table, no debug sections.
  check "$exe has no symbols" 'python3 - "$file" <<'"'"'PY'"'"'
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
pointer, count = struct.unpack_from("<II", data, pe + 4 + 8)
sys.exit(0 if pointer == 0 and count == 0 else 1)
PY'
  check "$exe has no debug sections" '! x86_64-w64-mingw32-objdump -h "$file" | grep -q "\.debug"'
done

readme="$work/unpacked/ReadMe.txt"
check "read-me has CR LF line ends" '[ "$(grep -c $'"'"'\r$'"'"' "$readme")" = "$(wc -l <"$readme")" ]'
for text in "Pinvane.exe" "Dimlet.exe" "Exit codes" "    0  done" "    1  finished" \
            "    2  the settings file" "    3  the user cancelled" "Pinvane.log" \
            'Backup\YYYYMMDD_HHMMSS'; do
  check "read-me mentions $text" 'grep -qF -- "$text" "$readme"'
done

if [ $fail -eq 0 ]; then echo "package passed"; else echo "package FAILED"; fi
exit $fail
