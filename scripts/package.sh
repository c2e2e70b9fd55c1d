#!/usr/bin/env bash
# Builds the win32 preset and makes Vareli's release from it, in
# BUILD/package/:
#   Vareli-vNNNNNN-setup.exe   the installer (NSIS, per user, Start menu entries)
#   Vareli-vNNNNNN-win32.zip   the same files in a folder "Vareli"
#   SHA256SUMS
# The programs are stripped copies of the build's; the build keeps its
# symbols. Before packing, the stripped Vareli.exe's version information,
# manifest and icon are read back under wine by packaging/win32/check_release;
# afterwards packaging/verify_package.py installs the installer silently in
# the build's wine prefix, runs what it installed, uninstalls it and checks
# that it is gone.
#   scripts/package.sh [--build DIR] [--no-verify]
#     --build DIR   the build folder (default build/win32, the preset's)
#     --no-verify   skip the installer round trip (the resource check stays)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

fail() { echo "package: $*" >&2; exit 1; }

build=build/win32
verify=1
while (($#)); do
  case $1 in
    --build) build=${2:?package: --build needs a folder}; shift 2 ;;
    --no-verify) verify=0; shift ;;
    -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) fail "unknown argument '$1' (see --help)" ;;
  esac
done
case $build in /*) ;; *) build=$root/$build ;; esac

# The checks run wine in the build's prefix; its server and service processes
# outlive them. End them afterwards, unless they were already running (then
# they belong to someone else's run in the same prefix).
prefix=$build/wineprefix
prefix_running() {
  local p
  for p in $(pgrep wineserver || true); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix" && return 0
  done
  return 1
}
if ! prefix_running; then
  trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true' EXIT
fi

scripts/setup.sh
cmake --preset win32 -B "$build" >/dev/null
targets=(Vareli VTSim)
((verify)) && targets+=(winctl)
cmake --build "$build" --target "${targets[@]}" -j2

# The two versions the release carries: the build's project version (the
# version resource's numbers) and the one the About box shows (its text).
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "no project version in $build/CMakeCache.txt"
product=$(grep -rhoE '"Vareli v[0-9]+' vplusdde | head -n1 | cut -d' ' -f2)
[ -n "$product" ] || fail "the About text's version (\"Vareli vNNNNNN\") was not found in vplusdde/"

out=$build/package
stage=$out/stage/Vareli
rm -rf "$out"
mkdir -p "$stage" "$out/tools"

i686-w64-mingw32-strip -o "$stage/Vareli.exe" "$build/vareli/Vareli.exe"
i686-w64-mingw32-strip -o "$stage/VTSim.exe" "$build/simulator/VTSim.exe"
# The settings the user starts with: every band, forwarding off (a port that
# is not there would bring an error for every spot).
printf '[COMPort]Com1\r\n[AlaMHZ]1800\r\n[YlaMHZ]432000\r\n[Com]0\r\n' >"$stage/vareli.ini"
# Texts for Notepad: CR LF, Windows-1252 (the sources hold \xE4 escapes).
# The country file as Debian ships it (scripts/setup.sh installs it), and its
# licence notice.
cp /usr/share/hamradio-files/cty.csv "$stage/cty.csv" || fail "no /usr/share/hamradio-files/cty.csv"
for name in README.txt LICENSE.txt cty-LICENSE.txt; do
  python3 - "packaging/$name" "$stage/$name" "$product" <<'EOF'
import re, sys
text = open(sys.argv[1], encoding="ascii").read().replace("@PRODUCT_VERSION@", sys.argv[3])
text = re.sub(r"\\x([0-9A-Fa-f]{2})", lambda m: chr(int(m.group(1), 16)), text)
open(sys.argv[2], "wb").write(text.replace("\n", "\r\n").encode("cp1252"))
EOF
done

echo "== the release resources, as Windows reads them"
i686-w64-mingw32-g++-posix -std=c++17 -Wall -Wextra -O2 -static -DWIN32_LEAN_AND_MEAN \
  -o "$out/tools/check_release.exe" packaging/win32/check_release.cpp -lversion -lgdi32 -lshlwapi
# It makes no window, so it needs no display.
scripts/wineprefix.sh "$prefix"
WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
  wine "$out/tools/check_release.exe" "$stage/Vareli.exe" "$version" "$product" </dev/null \
  || fail "Vareli.exe's release resources are not in order"

echo "== installer and zip"
setup=Vareli-$product-setup.exe
zipfile=Vareli-$product-win32.zip
makensis -V2 -NOCD -DSTAGE="$stage" -DICON="$root/vareli/icon/vareli.ico" \
  -DOUTFILE="$out/$setup" -DVERSION="$version" -DPRODUCT_VERSION="$product" \
  packaging/vareli.nsi || fail "makensis failed"
(cd "$out/stage" && zip -q -X -r "$out/$zipfile" Vareli)
(cd "$out" && sha256sum "$setup" "$zipfile" >SHA256SUMS)

if ((verify)); then
  echo "== installer round trip under wine"
  python3 packaging/verify_package.py --build "$build" --winctl "$build/tools/winctl.exe" \
    --setup "$out/$setup" --zip "$out/$zipfile" --stage "$stage" --product "$product"
fi

echo "package: made in $out"
ls -l "$out/$setup" "$out/$zipfile"
