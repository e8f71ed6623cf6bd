#!/usr/bin/env bash
# CTest command of test_pinvane_diskfull: mounts a small tmpfs, runs the disk-full
# tests of the e2e executable under Wine on it, and unmounts it whatever happens.
#   bash diskfull.sh <test_pinvane_e2e.exe>
# Exits 77 (the test's SKIP_RETURN_CODE) where mounting is not allowed.
set -uo pipefail
exe=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/pinvane-diskfull.XXXXXX")
disk=$work/disk
mounted=0
cleanup() {
  if [ "$mounted" = 1 ]; then
    umount "$disk" 2>/dev/null || { sleep 1; umount "$disk" 2>/dev/null; } || umount -l "$disk"
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

mkdir -p "$disk"
if ! error=$(mount -t tmpfs -o size=8m,mode=0777 tmpfs "$disk" 2>&1); then
  echo "SKIPPED: the disk-full tests need to mount a tmpfs (as root): ${error:-refused}"
  exit 77
fi
mounted=1

# The log's own disk: a Pinvane.log beside the executable that links into the tmpfs.
mkdir -p "$disk/log" "$work/log-link"
ln -s "$disk/log/Pinvane.log" "$work/log-link/Pinvane.log"

windows() { echo "Z:${1//\//\\}"; }
export PINVANE_SMALL_DISK=$(windows "$disk")
export PINVANE_LOG_LINK_FOLDER=$(windows "$work/log-link")
cd "$(dirname "$exe")" && wine "$exe" --gtest_filter='PinvaneDiskFull.*' </dev/null
