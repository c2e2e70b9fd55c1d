#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, with AddressSanitizer and UBSan) and
# runs each for a bounded time, printing what each found.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]     default 60 s, all targets
# Corpora grow in build/fuzz/corpus/<target> (seeded from fuzz/corpus/<target>);
# a crash leaves its input in build/fuzz/artifacts/<target>/ and makes the
# command fail. Replay one with: build/fuzz/fuzz/<target> <crash file>
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(spot_rows_fuzzer int_reading_fuzzer settings_reader_fuzzer
  dde_item_text_fuzzer adif_reader_fuzzer country_file_fuzzer)
build="${VARELI_FUZZ_BUILD:-$here/build/fuzz}"

mkdir -p "$build"
command -v clang++-14 >/dev/null || { echo "fuzz: clang++-14 is missing (scripts/setup.sh)" >&2; exit 2; }

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_FLAGS="-O1 -fsanitize=fuzzer-no-link" -DCMAKE_CXX_FLAGS="-O1 -fsanitize=fuzzer-no-link" \
  -DCMAKE_PROJECT_Vareli_INCLUDE="$here/fuzz/enable_fuzz.cmake" >"$build/configure.log" 2>&1 \
  || { cat "$build/configure.log"; exit 2; }
cmake --build "$build" --target "${targets[@]}" -j2 >"$build/build.log" 2>&1 \
  || { tail -50 "$build/build.log"; exit 2; }

status=0
summary=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artefacts="$build/artifacts/$t"
  mkdir -p "$corpus" "$artefacts"
  seeds=()
  [ -d "$here/fuzz/corpus/$t" ] && seeds=("$here/fuzz/corpus/$t")
  log="$build/$t.log"
  echo "== $t: ${seconds} s"
  set +e
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 -max_len=4096 \
    -artifact_prefix="$artefacts/" "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || echo "?")
  units=$(find "$corpus" -type f | wc -l)
  if [ $rc -eq 0 ]; then
    line="$t: ok, $runs runs, coverage $cov edges, corpus $units inputs"
  else
    status=1
    crash=$(grep -o "Test unit written to .*" "$log" | tail -1 | sed 's/Test unit written to //')
    line="$t: FAILED (exit $rc), input ${crash:-?}; see $log"
    grep -E "fuzz check failed|ERROR: |runtime error|SUMMARY" -A3 "$log" | head -20 || true
  fi
  echo "$line"
  summary+=("$line")
done

echo
echo "fuzz summary (${seconds} s per target):"
printf '  %s\n' "${summary[@]}"
exit $status
