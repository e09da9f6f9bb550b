# Sourced by scripts that run the Windows program under Wine: a virtual screen and a prepared
# Wine prefix. Needs WINEPREFIX set; leaves DISPLAY and XVFB_PID exported.
#
#   startVirtualScreen   Xvfb at 1920 x 1080 on a free display number
#   prepareWinePrefix    a 64-bit prefix, made once, with a Chinese font linked to the
#                        default faces
#   useWindowManager     Y when a window manager runs on the display, N when none does
#   stopWine             ends the prefix's Wine processes and the virtual screen
#   startEnglishDesktop  all of it for tests and benchmarks: an English Windows on a virtual
#                        screen without a window manager, stopped when the script exits

WINE="${WINE:-/usr/lib/wine/wine64}"
WINESERVER="${WINESERVER:-/usr/lib/wine/wineserver}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="  # never offer to install Mono or Gecko
export WINEARCH=win64

startVirtualScreen() {
  local fifo display
  fifo="$(mktemp -u /tmp/xiulan-xvfb.XXXXXX)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  if ! read -r -t 30 display <"$fifo"; then
    rm -f "$fifo"
    echo "Xvfb did not start" >&2
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=":$display" XVFB_PID
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb on $DISPLAY does not answer" >&2
  return 1
}

prepareWinePrefix() {
  [ -f "$WINEPREFIX/.xiulan-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$WINE" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w
  # Wine does not look for its own fonts (Tahoma, Marlett) where Debian puts them.
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # A crashing program must end with an error, not wait for ever behind a crash dialog.
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
  # Chinese text in the default user-interface faces, from fonts-wqy-microhei.
  local link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  local face
  for face in "Tahoma" "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" \
    "Segoe UI"; do
    "$WINE" reg add "$link" /v "$face" /t REG_MULTI_SZ \
      /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null
  done
  local substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  for face in "SimSun" "NSimSun" "宋体" "新宋体"; do
    # Non-ASCII arguments reach Wine intact only under a UTF-8 locale.
    LC_ALL=C.UTF-8 "$WINE" reg add "$substitutes" /v "$face" /t REG_SZ \
      /d "WenQuanYi Micro Hei" /f >/dev/null
  done
  "$WINESERVER" -w
  touch "$WINEPREFIX/.xiulan-ready"
}

# Without a window manager Wine must not wait for one at every hide and close.
useWindowManager() {
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$1" /f >/dev/null
}

stopWine() {
  "$WINESERVER" -k 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# A Unix path as the Windows program sees it (drive Z: is the Unix root in Wine).
windowsPath() {
  local path
  path="$(realpath -m "$1")"
  echo "Z:${path//\//\\}"
}

# LANG=C makes Wine an English Windows with code page 1252. The Unix side still needs a UTF-8
# character set for file names, or Wine cannot create a file named 岫澜.txt at all.
startEnglishDesktop() {
  unset LC_ALL
  export LANG=C LC_CTYPE=C.UTF-8
  trap stopWine EXIT
  startVirtualScreen
  prepareWinePrefix
  useWindowManager N
}
