#!/usr/bin/env bash
# Builds everything from nothing and runs every test: native unit and behaviour tests, then
# the end-to-end tests of the real Windows program under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

scripts/install-deps.sh

jobs="$(nproc)"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DXIULAN_WERROR=ON >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"
