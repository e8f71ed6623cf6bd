#!/usr/bin/env bash
# Installs what building and testing need on Debian; does nothing when all is there.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 mingw-w64-tools wine wine64 xvfb xauth googletest
          libsqlite3-dev sqlite3 dpkg-dev file clang-format python3 tcl make gcc libc6-dev
          zip unzip fonts-ipafont-gothic)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# apt-get source needs deb-src entries.
need_src=0
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null; then
  need_src=1
fi

# Tests run programs with LC_ALL=ja_JP.UTF-8 for a Japanese UI under Wine.
need_locale=0
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' || need_locale=1
[ $need_locale -eq 0 ] || dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q 'install ok installed' || missing+=(locales)

if [ ${#missing[@]} -eq 0 ] && [ $need_src -eq 0 ] && [ $need_locale -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

if [ $need_src -eq 1 ]; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  fi
  if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "deb-src http://deb.debian.org/debian bookworm main" | $SUDO tee /etc/apt/sources.list.d/pinvane-src.list >/dev/null
  fi
fi

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ] || [ $need_src -eq 1 ]; then
  $SUDO apt-get update -q </dev/null
fi
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi
if [ $need_locale -eq 1 ]; then
  $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
