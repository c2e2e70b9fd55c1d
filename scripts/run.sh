#!/usr/bin/env bash
# Builds Vareli for Windows and runs it under wine on its embedded default.
#   scripts/run.sh [SECONDS]   run for SECONDS (default: until Ctrl-C)
# Without a display it runs under Xvfb and keeps a screenshot fresh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
build=$PWD/build/win32
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
scripts/wineprefix.sh "$WINEPREFIX"

pids=()
cleanup() {
  wine "$build/tools/winctl.exe" close Vareli 5000 >/dev/null 2>&1 || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  echo "run: everything it started has ended"
}
trap cleanup EXIT
trap 'exit 0' INT TERM

shot=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 130); do [ -e "/tmp/.X$n-lock" ] || break; done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  shot=$build/run-screenshot.png
  echo "run: no display; running under Xvfb, screenshot refreshed every 3 s in $shot"
fi

rundir=$build/run
mkdir -p "$rundir"
echo "run: starting Vareli.exe (so far only its empty main window) in $rundir"
(cd "$rundir" && exec wine "$build/vareli/Vareli.exe" </dev/null >/dev/null 2>&1) &
pids+=($!)
wine "$build/tools/winctl.exe" wait Vareli 20000 >/dev/null 2>&1 && echo "run: the Vareli window is up"

end=$((SECONDS + ${1:-999999999}))
while [ $SECONDS -lt $end ] && kill -0 "${pids[-1]}" 2>/dev/null; do
  [ -n "$shot" ] && import -display "$DISPLAY" -window root "$shot" 2>/dev/null || true
  sleep 3
done
