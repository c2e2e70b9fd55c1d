#!/usr/bin/env bash
# Builds the Windows programs and runs the benchmarks under wine: spot intake
# against the size of the view (beside a scan of every line), the latency from
# the decoder's change notice to the spot line (beside a bare DDE client),
# start-up to the first block (beside a minimal window program), and lines
# forwarded per second to a COM port on a pty. Prints one table of figures,
# ratios and the conditions they were taken under; about four minutes.
#   scripts/bench.sh [--quick] [run_bench.py options, see bench/run_bench.py]
# VARELI_BENCH_BUILD names the build folder (default build/win32).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${VARELI_BENCH_BUILD:-build/win32}
cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" -j2 --target Vareli VTSim winctl \
  intake_bench latency_bench start_bench minimal_window comm_bench
exec python3 bench/run_bench.py --build "$build" "$@"
