#!/usr/bin/env bash
# Builds everything from nothing and runs every test: the native unit and behaviour tests,
# then, cross-compiled, the Windows-side tests and the end-to-end tests of the real program
# under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

scripts/install-deps.sh

# The sources keep the project's format (.clang-format).
find app bench editor lookup_window tests toolkit vocabulary -name '*.cpp' -o -name '*.h' |
  xargs clang-format --dry-run -Werror

jobs="$(nproc)"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DXIULAN_WERROR=ON >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

scripts/build-windows.sh -DXIULAN_WERROR=ON
ctest --test-dir build/windows --output-on-failure
