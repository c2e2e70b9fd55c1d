#!/usr/bin/env bash
# Everything CI runs: set-up, the host build with its unit tests and static
# checks, then the Windows build with its tests under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

echo "== host build and tests"
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host

echo "== static checks"
scripts/lint.sh

echo "== win32 build and tests under wine"
cmake --preset win32 >/dev/null
cmake --build --preset win32
export VARELI_WINEPREFIX=$PWD/build/win32/wineprefix
scripts/wineprefix.sh "$VARELI_WINEPREFIX"
started_x=""
if [ -z "${DISPLAY:-}" ]; then
  # One X server for the whole run instead of one per test program.
  for n in $(seq 90 130); do [ -e "/tmp/.X$n-lock" ] || break; done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  started_x=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi
cleanup() {
  WINEPREFIX=$VARELI_WINEPREFIX wineserver -k 2>/dev/null || true
  [ -n "$started_x" ] && kill "$started_x" 2>/dev/null || true
}
trap cleanup EXIT
ctest --preset win32

echo "== the Windows release: resources checked, installed, run and uninstalled under wine"
scripts/package.sh --build build/win32
echo "== all tests passed"
