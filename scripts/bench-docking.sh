#!/usr/bin/env bash
# The CPU time a docked, hidden lookup window costs while it waits, against the same program
# shown and undocked, each over the same span, on a virtual screen under Wine. The CPU time
# counted is that of every process of the benchmark's own Wine prefix (the program and the
# Wine server that delivers its timer ticks).
#   scripts/bench-docking.sh [seconds]     (60 by default)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds="${1:-60}"
scripts/install-deps.sh
scripts/build-windows.sh >/dev/null

export WINEPREFIX="$root/build/windows/bench-wineprefix"
. "$root/tests/e2e/wine-desktop.sh"
startEnglishDesktop

ticks="$(getconf CLK_TCK)"
# CPU ticks (user + system) of every process that runs in this prefix.
prefixCpuTicks() {
  local total=0 pid environ
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    environ="$(tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" || true)"
    grep -qxF "WINEPREFIX=$WINEPREFIX" <<<"$environ" || continue
    read -r -a stat 2>/dev/null <"/proc/$pid/stat" || continue
    # Fields 14 and 15 are utime and stime; the command name in field 2 has no spaces here.
    total=$((total + stat[13] + stat[14]))
  done
  echo "$total"
}

measure() {  # measure STATE: starts the program, brings it into STATE, measures, ends it
  local state="$1" directory before after
  directory="$(mktemp -d)"
  cp "$root/build/windows/app/xiulan.exe" "$directory/"
  "$WINE" "$directory/xiulan.exe" >/dev/null 2>&1 &
  "$WINE" "$root/build/windows/bench/windows/dock_helper.exe" "$state" >&2
  sleep 2  # let start-up work settle before the span begins
  before="$(prefixCpuTicks)"
  sleep "$seconds"
  after="$(prefixCpuTicks)"
  "$WINESERVER" -k || true
  "$WINESERVER" -w || true
  rm -rf "$directory"
  echo $((after - before))
}

shown="$(measure shown)"
docked="$(measure dock)"
dockedShown="$(measure docked-shown)"
awk -v s="$shown" -v d="$docked" -v ds="$dockedShown" -v t="$ticks" -v n="$seconds" 'BEGIN {
  printf "CPU over %d s: shown and undocked %.2f s, docked and hidden %.2f s\n", n, s / t, d / t
  printf "extra for a docked, hidden window: %.3f s = %.2f%% of one core (target: under 1%%)\n",
         (d - s) / t, 100 * (d - s) / t / n
  # While it is shown at the top the timer ticks, as the pointer may leave at any moment.
  printf "docked and shown, the pointer in it: %.2f s, extra %.2f%% of one core\n", ds / t,
         100 * (ds - s) / t / n
}'
