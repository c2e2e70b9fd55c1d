#!/usr/bin/env bash
# Builds Vareli for Windows and runs it under wine on its embedded default:
# the decoder simulator as VTPlus.exe beside it, COM1 on a pty whose lines are
# printed here (see scripts/run_demo.py).
#   scripts/run.sh [SECONDS]   run for SECONDS (default: until Ctrl-C or the
#                              window is closed)
# Without a display it runs under Xvfb and keeps a screenshot fresh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
exec python3 scripts/run_demo.py --build "$PWD/build/win32" --seconds "${1:-0}"
