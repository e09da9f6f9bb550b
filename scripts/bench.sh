#!/usr/bin/env bash
# Runs the benchmarks and prints each figure and ratio:
#   1. LineLookup over a generated GBK vocabulary (3,000,000 lines by default, or the first
#      argument), in process against memchr floors and as a process against grep -F -c;
#   2. typed lookup through the real window of the Windows program under Wine, on a
#      100,000-line vocabulary, against setting the same final text into the output box once.
# The docking CPU measurement takes two minutes and runs on its own: scripts/bench-docking.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/install-deps.sh
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j "$(nproc)" --target lookup_bench xiulan_count >/dev/null
build/native/bench/lookup_bench "$@"

echo
scripts/build-windows.sh >/dev/null
export WINEPREFIX="$root/build/windows/bench-wineprefix"
. "$root/tests/e2e/wine-desktop.sh"
startEnglishDesktop
"$WINE" "$root/build/windows/bench/windows/typed_lookup_bench.exe"
