#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Vareli, and
# prepares a wine prefix when asked (scripts/setup.sh --prefix DIR).
# Idempotent: packages already present are not touched again.
set -euo pipefail

fail() { echo "setup: $*" >&2; exit 1; }

packages=(cmake g++ googletest clang clang-tidy clang-format cppcheck libclang-rt-14-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick fonts-liberation fonts-wine socat python3 nsis zip hamradio-files)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386 || fail "could not add the i386 architecture"
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq >/dev/null || fail "apt-get update failed"
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || fail "apt-get install failed for: ${missing[*]}"
fi

if [ "${1:-}" = "--prefix" ]; then
  "$(dirname "$0")/wineprefix.sh" "${2:?setup: --prefix needs a folder}"
fi
