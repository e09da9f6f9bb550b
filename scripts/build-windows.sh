#!/usr/bin/env bash
# Cross-compiles the Windows program (and its Windows-side tests) into build/windows.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  "$@" >/dev/null
cmake --build build/windows -j "$(nproc)"
