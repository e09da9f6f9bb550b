#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine: in your X display when there is one,
# otherwise on a virtual screen, of which a screenshot is saved and its path printed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/install-deps.sh
scripts/build-windows.sh
program="$root/build/windows/app/xiulan.exe"

# The program keeps its word list beside itself, so it runs from a directory of its own.
home="${XDG_DATA_HOME:-$HOME/.local/share}/xiulan"
mkdir -p "$home"
cp "$program" "$home/xiulan.exe"
export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/xiulan/wineprefix-run}"
# Chinese file names need a UTF-8 character set on the Unix side.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8* | *utf8*) ;;
  *) export LC_CTYPE=C.UTF-8 ;;
esac

. "$root/tests/e2e/wine-desktop.sh"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  prepareWinePrefix
  useWindowManager Y
  echo "Starting 岫澜 in $DISPLAY (word list: $home/岫澜.txt)"
  exec "$WINE" "$home/xiulan.exe"
fi

trap stopWine EXIT
startVirtualScreen
prepareWinePrefix
useWindowManager N
"$WINE" "$home/xiulan.exe" &
for _ in $(seq 200); do
  window="$(xdotool search --name '澄屿计算机英语查询工具' 2>/dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "${window:-}" ]; then
  echo "The program's window did not appear." >&2
  exit 1
fi
sleep 1  # let the window finish painting before the picture is taken
shot="$root/build/windows/xiulan-screenshot.png"
import -window root -crop 360x480+780+300 +repage "$shot"
echo "No display found: the program ran on a virtual screen. Screenshot: $shot"
