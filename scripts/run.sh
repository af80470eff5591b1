#!/usr/bin/env bash
# Builds sprout.exe and starts it under Wine with a torrent name as its command line.
# Without a display it runs inside Xvfb, takes a screenshot after a few seconds and prints
# its path. Usage: scripts/run.sh [torrent-name]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
"$repo/scripts/setup.sh"
. "$repo/scripts/wine-env.sh"
. "$repo/scripts/display.sh"
name=${1:-demo.torrent}

cmake -S "$repo" -B "$repo/build/win" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw32.cmake" >/dev/null
cmake --build "$repo/build/win" --target sprout -j"$(nproc)" >/dev/null

headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  headless=1
fi
sprout_ensure_display
cd "$repo/build/win/bin"
if [ "$headless" = 1 ]; then
  wine sprout.exe "$name" &
  pid=$!
  shot="$repo/build/screenshot.png"
  for i in $(seq 1 100); do
    xdotool search --name . >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 3
  import -window root "$shot"
  echo "Screenshot: $shot"
  kill "$pid" 2>/dev/null || true
else
  exec wine sprout.exe "$name"
fi
