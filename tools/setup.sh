#!/usr/bin/env bash
# Installs everything the suite needs to build and run under Wine on Debian 12.
# Idempotent: it does nothing when every package is already there.
set -euo pipefail

packages=(
  wine wine32:i386 wine64
  g++-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
  mingw-w64-tools cmake googletest nsis clang-format
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
