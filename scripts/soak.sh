#!/usr/bin/env bash
# Soak test: Vareli.exe under wine for MINUTES (default 10) with forwarding
# on, against the decoder simulator announcing changes several times a
# second; then checks the forwarded lines, the window and the memory.
#   scripts/soak.sh [MINUTES] [driver options...]     (see soak/soak_driver.py --help)
# Builds Vareli, VTSim and winctl in $VARELI_SOAK_BUILD (default build/win32).
# Not part of ctest: it runs for minutes.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
minutes="${1:-10}"
shift || true
build="$(realpath -m "${VARELI_SOAK_BUILD:-$here/build/win32}")"

"$here/scripts/setup.sh"
# The driver's own reasoning first: the ledger of owed rows and the memory fit.
python3 "$here/soak/test_soak_models.py" -q
[ -f "$build/CMakeCache.txt" ] || (cd "$here" && cmake --preset win32 -B "$build" >/dev/null)
cmake --build "$build" --target Vareli VTSim winctl -j2 >/dev/null
# The yardsticks for the memory: a bare DDE client and a bare rich-text view.
mkdir -p "$build/soak"
for probe in dde_client_probe rich_edit_probe; do
  if [ ! "$build/soak/$probe.exe" -nt "$here/soak/win32/$probe.cpp" ]; then
    i686-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -static \
      -o "$build/soak/$probe.exe" "$here/soak/win32/$probe.cpp" -luser32 -lgdi32
  fi
done

exec python3 "$here/soak/soak_driver.py" --minutes "$minutes" --build "$build" \
  --vareli "$build/vareli/Vareli.exe" --simulator "$build/simulator/VTSim.exe" \
  --winctl "$build/tools/winctl.exe" --dde-probe "$build/soak/dde_client_probe.exe" \
  --view-probe "$build/soak/rich_edit_probe.exe" "$@"
