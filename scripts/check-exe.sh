#!/usr/bin/env bash
# Checks a built program: a PE32+ x86-64 GUI executable that imports only DLLs
# Windows ships (plus the ones named), and that prints nothing when started
# under Wine with the given arguments.
#   check-exe.sh <exe> "<extra allowed DLLs>" [arguments...]
set -euo pipefail
exe=$1; extra=${2:-}; shift 2 || shift $#
fail=0

kind=$(file -b "$exe")
case "$kind" in
  "PE32+ executable (GUI) x86-64"*) echo "ok: $kind" ;;
  *) echo "FAIL: not a PE32+ GUI x86-64 executable: $kind"; fail=1 ;;
esac

allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll version.dll
          msvcrt.dll bcrypt.dll msimg32.dll powrprof.dll ole32.dll $extra "
for dll in $(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}'); do
  case "$allowed" in
    *" $dll "*) echo "ok: imports $dll" ;;
    *) echo "FAIL: imports $dll"; fail=1 ;;
  esac
done

# A GUI program must not write to a console.
workdir=$(mktemp -d)
cp "$exe" "$workdir/"
# DLLs the program ships with (those not part of Windows) lie beside it.
for dll in $extra; do
  [ -f "$(dirname "$exe")/$dll" ] && cp "$(dirname "$exe")/$dll" "$workdir/"
done
status=0
out=$(cd "$workdir" && timeout 60 wine "$(basename "$exe")" "$@" 2>&1 </dev/null) || status=$?
echo "exit code: $status"
rm -rf "$workdir"
if [ -n "$out" ]; then
  echo "FAIL: printed output: $out"; fail=1
else
  echo "ok: no console output"
fi

if [ $fail -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; fi
exit $fail
