#!/usr/bin/env bash
# VTSim fed by a Linux pipe through wine, as a developer or a script runs it:
# the commands arrive, the end of input does not end the server, and "quit"
# does. Usage: stdin_pipe_test.sh VTSim.exe
set -euo pipefail
exe=${1:?usage: stdin_pipe_test.sh VTSim.exe}
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../../scripts/wine-run.sh"
# One display for the whole check, so that wine is our direct child and
# ending it by its id ends the simulator.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
work=$(mktemp -d)
sim=""
cleanup() {
  if [ -n "$sim" ] && kill -0 "$sim" 2>/dev/null; then kill "$sim"; fi
  rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

wait_for() {  # wait_for FILE LINE SECONDS
  for _ in $(seq $(($3 * 10))); do
    grep -qx -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# 1. Commands then "quit" through a pipe: every event in order, exit code 0.
printf 'row 0 x\nbogus\necho synced\nquit\n' |
  "$run" "$exe" --service "VTsimPipe$$a" >"$work/one.out" 2>&1 && rc=0 || rc=$?
tr -d '\r' <"$work/one.out" >"$work/one.txt"
[ "$rc" = 0 ] || fail "quit through a pipe: exit code $rc"
expected=$'ready\nerror unknown command \'bogus\'\nsynced\nquit'
[ "$(grep -v '^eof$' "$work/one.txt")" = "$expected" ] ||
  fail "events through a pipe: $(cat "$work/one.txt")"

# 2. The end of input alone does not end the server.
printf 'echo first\n' | "$run" "$exe" --service "VTsimPipe$$b" >"$work/two.out" 2>&1 &
sim=$!
if wait_for "$work/two.out" eof 60; then
  grep -qx first "$work/two.out" || fail "the line before the end of input did not run"
  sleep 2
  kill -0 "$sim" 2>/dev/null || fail "the simulator ended with its input"
else
  fail "no eof event: $(cat "$work/two.out")"
fi
kill "$sim" 2>/dev/null || true
wait "$sim" 2>/dev/null || true
sim=""

passed=$((2 - failed))
echo "stdin pipe: $passed passed, $failed failed"
[ "$failed" = 0 ]
