#!/usr/bin/env bash
# Style and static checks on the host build: clang-format, clang-tidy, cppcheck.
# Needs the host build's compile_commands.json (cmake --preset host).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/host
files=$(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')

echo "== platform seam"
scripts/check-seam.sh

echo "== clang-format"
# shellcheck disable=SC2086
clang-format --dry-run -Werror $files

echo "== clang-tidy"
# Only what the host build compiles (the Win32 sources are not in it).
sources=$(python3 -c 'import json,sys; print("\n".join(e["file"] for e in json.load(open(sys.argv[1])) if "/googletest/" not in e["file"]))' "$build/compile_commands.json")
# shellcheck disable=SC2086
run-clang-tidy -quiet -p "$build" -j "$(nproc)" $sources >"$build/clang-tidy.log" 2>&1 || {
  grep -E 'warning:|error:' "$build/clang-tidy.log" | head -40; echo "clang-tidy found problems"; exit 1; }

echo "== cppcheck"
cppcheck --quiet --error-exitcode=1 --inline-suppr --std=c++17 --language=c++ \
  --enable=warning,performance,portability --suppress=missingIncludeSystem --suppress=unknownMacro --library=googletest \
  --suppress='*:/usr/*' -j "$(nproc)" -I . \
  $(printf '%s\n' $files | grep -vE '(^|/)win32/|^tools/|^tests/wine/')
echo "lint: clean"
