#!/usr/bin/env bash
# Builds the benchmarks in Release mode and runs them; prints each figure and ratio.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/install-deps.sh
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j "$(nproc)" --target lookup_bench xiulan_count
build/native/bench/lookup_bench "$@"
