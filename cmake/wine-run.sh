#!/bin/sh
# Runs a cross-compiled test program under Wine: `wine-run.sh prog.exe args...`.
# The prefix is created on first use (takes a while once); set WINEPREFIX to use another one.
# Console programs need no display; programs with windows need DISPLAY (e.g. an Xvfb).
: "${WINE:=/usr/lib/wine/wine64}"
: "${WINEPREFIX:=${XDG_CACHE_HOME:-$HOME/.cache}/xiulan/wineprefix}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$WINEPREFIX"
exec "$WINE" "$@"
