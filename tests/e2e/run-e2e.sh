#!/usr/bin/env bash
# Runs the end-to-end tests: run-e2e.sh XIULAN_E2E_EXE XIULAN_EXE ARTIFACT_DIR
# The tests see an English Windows (LANG=C) on a 1920 x 1080 screen of their own.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tests="$(realpath "$1")"
program="$(realpath "$2")"
artifacts="$(realpath -m "$3")"
rm -rf "$artifacts"
mkdir -p "$artifacts"

export WINEPREFIX="${XIULAN_E2E_PREFIX:-$(dirname "$artifacts")/e2e-wineprefix}"
. "$here/wine-desktop.sh"
startEnglishDesktop

status=0
"$WINE" "$tests" --program="$(windowsPath "$program")" --artifacts="$(windowsPath "$artifacts")" \
  "${@:4}" || status=$?

for bitmap in "$artifacts"/*.bmp; do
  [ -e "$bitmap" ] || continue
  convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
  echo "screenshot saved: ${bitmap%.bmp}.png"
done
exit "$status"
