#!/usr/bin/env bash
# Fails when a Win32 header is included outside the folders behind the
# platform seam (platform/win32, ui/win32, the entry point, the simulator and
# the wine tests), so the portable code keeps building on Linux.
set -euo pipefail
cd "$(dirname "$0")/.."
allowed='(^|/)win32/|^tools/|^tests/wine/'
bad=$(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' |
  grep -vE "$allowed" |
  xargs -r grep -lE '#\s*include\s*[<"](windows|ddeml|richedit|commctrl|winbase|winuser|mmsystem|shellapi)\.h' || true)
if [ -n "$bad" ]; then
  echo "Win32 headers outside the platform seam:"; echo "$bad"; exit 1
fi
echo "seam check: no Win32 header outside the win32 folders"
