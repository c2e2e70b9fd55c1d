#!/usr/bin/env bash
# Starts the wine server of a prefix and wine's service processes, detached,
# when they are not running yet. Started by a program under test instead,
# they would inherit its output and keep its caller (ctest) waiting for that
# output to close for as long as they live. Under a lock: a program started
# in parallel while the services are still coming up would start them itself.
# Nothing started here may inherit the lock's descriptor.
set -euo pipefail
prefix=${1:?usage: wine-warm.sh PREFIX}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec 8>"$prefix.server.lock"
flock 8
if wineserver -p 60 </dev/null >/dev/null 2>&1 8>&-; then
  wine cmd /c exit </dev/null >/dev/null 2>&1 8>&- || true
fi
