#!/usr/bin/env bash
# Runs a Windows program of the win32 build under wine, in the build folder's
# private prefix (made once), and under Xvfb when there is no display.
# Used as CMAKE_CROSSCOMPILING_EMULATOR, so ctest runs .exe tests directly.
set -euo pipefail
exe=${1:?usage: wine-run.sh PROGRAM.exe [ARGS...]}
here=$(cd "$(dirname "$0")" && pwd)

# Everything below, the warm-up of wine's desktop included, must see the same
# display: a desktop started without one has no display driver, and every
# window of a later program in that session fails.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

if [ -z "${VARELI_WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$exe")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] || { echo "wine-run: $exe is not inside a build folder" >&2; exit 2; }
  VARELI_WINEPREFIX=$dir/wineprefix
fi
"$here/wineprefix.sh" "$VARELI_WINEPREFIX"
export WINEPREFIX=$VARELI_WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

"$here/wine-warm.sh" "$VARELI_WINEPREFIX"
exec wine "$@"
