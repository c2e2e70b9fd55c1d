#!/usr/bin/env bash
# Prepares a private wine prefix once: wineboot, no window manager wait under
# Xvfb, "Courier New" drawn by Liberation Mono. Safe to call from parallel tests.
set -euo pipefail
prefix=${1:?usage: wineprefix.sh PREFIX}
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.vareli-ready" ] && exit 0
wineboot -i >/dev/null 2>&1 || { echo "wineprefix: wineboot failed for $prefix" >&2; exit 1; }
# Without a window manager wine waits ~2 s whenever a visible window goes away.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.vareli-ready"
