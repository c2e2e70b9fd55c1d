#!/usr/bin/env bash
# Prepares a private wine prefix once: wineboot, no window manager wait under
# Xvfb, "Courier New" drawn by Liberation Mono, the title bar's Marlett font.
# Safe to call from parallel tests.
set -euo pipefail
prefix=${1:?usage: wineprefix.sh PREFIX}
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec 9>"$prefix.lock"
flock 9
# Debian's wine does not load the fonts of its own data folder (fonts-wine),
# so without a copy in the prefix the title bar's buttons draw as letters.
add_marlett() {
  local fonts="$prefix/drive_c/windows/Fonts"
  if [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ] && [ -e /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}
if [ -f "$prefix/.vareli-ready" ]; then
  add_marlett
  exit 0
fi
wineboot -i >/dev/null 2>&1 || { echo "wineprefix: wineboot failed for $prefix" >&2; exit 1; }
# Without a window manager wine waits ~2 s whenever a visible window goes away.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' /f >/dev/null 2>&1
# A program that crashes ends at once with its fault printed: wine's debugger
# would open a dialog on the display and keep the test (and what shares its
# output) waiting for the time-out.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
wineserver -w
add_marlett
touch "$prefix/.vareli-ready"
