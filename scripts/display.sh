# Sourced: makes sure there is an X display for Wine. Without one, starts a private Xvfb and
# stops it (and the prefix's wineserver) when the calling script exits.
sprout_display_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${SPROUT_XVFB_PID:-}" ]; then
    kill "$SPROUT_XVFB_PID" 2>/dev/null || true
    wait "$SPROUT_XVFB_PID" 2>/dev/null || true
  fi
}

sprout_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  SPROUT_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY" >&2; return 1; }
  trap sprout_display_cleanup EXIT
}
