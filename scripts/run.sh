#!/usr/bin/env bash
# Builds Sprout and runs it under Wine in a demo program folder (build/demo) that holds what
# a distributor ships: sprout.exe, bt.exe, a torrent of a generated payload, info.pyd and
# logo.bmp. By default bt.exe is the real engine and the torrent is served on the loopback by a
# local tracker and a seeder (scripts/swarm.sh), so Sprout downloads for real; --simulated
# ships the simulated engine instead. Without a display it runs inside Xvfb, takes a
# screenshot and prints its path.
# Usage: scripts/run.sh [--start] [--simulated]   (--start presses Start, so the download is
# under way; without a display it is pressed anyway, for the screenshot)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
press_start=0
simulated=0
for arg in "$@"; do
  case "$arg" in
    --start) press_start=1 ;;
    --simulated) simulated=1 ;;
    *) echo "usage: scripts/run.sh [--start] [--simulated]" >&2; exit 2 ;;
  esac
done

"$repo/scripts/setup.sh"
. "$repo/scripts/wine-env.sh"
. "$repo/scripts/display.sh"

echo "Building..."
engine_target=bt
if [ "$simulated" = 0 ]; then
  "$repo/scripts/build-libtorrent.sh" "$SPROUT_FLAVOUR"
  engine_target=btengine
fi
mkdir -p "$SPROUT_WIN_BUILD"
cmake -S "$repo" -B "$SPROUT_WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$SPROUT_TOOLCHAIN" >"$SPROUT_WIN_BUILD/configure.log" 2>&1 \
  || { tail -n 40 "$SPROUT_WIN_BUILD/configure.log" >&2; exit 1; }
cmake --build "$SPROUT_WIN_BUILD" --target sprout $engine_target demo_press demo_logo -j"$(nproc)" >/dev/null
bin="$SPROUT_WIN_BUILD/bin"

# The demo folder, made afresh, with a 64 MiB payload: served by a loopback swarm to the real
# engine (the seeder sends 4 MiB/s, so the download is seen under way), or "downloaded" by the
# simulated engine at 2 MiB/s; either writes it into build/demo/Downloads.
demo="$repo/build/demo"
rm -rf "$demo"
mkdir -p "$demo/Downloads"
cp "$bin/sprout.exe" "$bin/logo.bmp" "$demo/"
if [ "$simulated" = 1 ]; then
  cp "$bin/bt.exe" "$demo/"
  mkdir -p "$demo/payload"
  head -c $((64 * 1024 * 1024)) /dev/urandom >"$demo/payload/sprout-demo.iso"
  mktorrent -a http://tracker.example.com/announce -o "$demo/demo.torrent" \
    "$demo/payload/sprout-demo.iso" >/dev/null
  rm -rf "$demo/payload"
else
  cp "$bin/engine/bt.exe" "$demo/"
  . "$repo/scripts/swarm.sh"
  # Ahead of the display's own clean-up, which sprout_ensure_display adds below.
  trap swarm_stop EXIT
  swarm_start "$repo/build/demo-swarm" 64 sprout-demo.iso
  swarm_rpc changeGlobalOption '{"max-overall-upload-limit":"4M"}' >/dev/null
  cp "$SWARM_TORRENT" "$demo/demo.torrent"
fi
printf '[INFO]\r\nhelp=http://www.example.com/forum/\r\nlabel=%s\r\ntip=%s\r\nlink=%s\r\n' \
  "欢迎使用 Sprout！点击这里注册，获取更多资源" "http://www.example.com/" \
  "http://www.example.com/UCenter/reguser.asp" | iconv -f UTF-8 -t GBK >"$demo/info.pyd"

headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  headless=1
fi
sprout_ensure_display
if [ "$simulated" = 0 ] && [ "$headless" = 1 ]; then
  trap 'swarm_stop; sprout_display_cleanup' EXIT
fi
# Wine's own messages (a volume it cannot label, ...) go to a log: only this script speaks.
wine_log="$repo/build/demo-wine.log"
: >"$wine_log"
printf '[demo.torrent]\r\nPath=%s\\\r\n' "$(winepath -w "$demo/Downloads" 2>>"$wine_log")" >"$demo/settings.ini"
export SPROUT_BT_RATE=$((2 * 1024 * 1024))
[ "$headless" = 1 ] && press_start=1

cd "$demo"
wine sprout.exe demo.torrent 2>>"$wine_log" &
sprout=$!
if [ "$press_start" = 1 ]; then
  wine "$bin/demo_press.exe" start demo 2>>"$wine_log" \
    || echo "The download did not show in time (Wine's messages: $wine_log)." >&2
fi

if [ "$headless" = 1 ]; then
  # The window's X window, once it is mapped; then a moment for its first paint.
  window=""
  for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^demo$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
  done
  sleep 1
  shot="$repo/build/screenshot.png"
  if [ -n "$window" ]; then
    import -window "$window" "$shot"
  else
    import -window root "$shot"
  fi
  echo "Screenshot: $shot"
  wine "$bin/demo_press.exe" exit demo 2>>"$wine_log" || true
  wait "$sprout" || true
else
  wait "$sprout"
fi
