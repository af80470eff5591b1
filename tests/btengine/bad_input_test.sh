#!/usr/bin/env bash
# The real engine on bad input: missing, empty and corrupt torrents, a save folder that takes
# no files, one too small for the payload and a port range with no free port, alone and under
# sprout.exe.
# Usage: bad_input_test.sh FLAVOUR BIN_DIR
# Exit 77 (skipped) when bt.exe on libtorrent was not built.
set -u
export SPROUT_FLAVOUR=$1
bin=$(cd "$2" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
[ -f "$bin/engine/bt.exe" ] || { echo "the real engine was not built (scripts/build-libtorrent.sh): skipped"; exit 77; }
. "$repo/scripts/wine-env.sh"
. "$repo/scripts/display.sh"
sprout_ensure_display || exit 1
work=$(mktemp -d /tmp/sprout-bad.XXXXXX)
readonly_dir="$work/readonly"
mkdir "$readonly_dir"
# Root writes through a missing write permission; an immutable folder stops it too.
if [ "$(id -u)" = 0 ]; then chattr +i "$readonly_dir" || exit 1; else chmod a-w "$readonly_dir"; fi
# A folder on a file system too small for the payload, where this machine lets us mount one.
small_dir="$work/small"
mkdir "$small_dir"
mount -t tmpfs -o size=64k tmpfs "$small_dir" 2>/dev/null && small_mounted=1 || small_mounted=0
trap '[ "$small_mounted" = 1 ] && umount "$small_dir"; chattr -i "$readonly_dir" 2>/dev/null; chmod u+w "$readonly_dir"; rm -rf "$work"
      [ -n "${SPROUT_XVFB_PID:-}" ] && sprout_display_cleanup' EXIT
head -c 100000 /dev/urandom >"$work/small.bin"
mktorrent -a http://127.0.0.1:1/announce -o "$work/small.torrent" "$work/small.bin" >/dev/null || exit 1
[ "$small_mounted" = 1 ] && export SPROUT_FULL_DIR=$(winepath -w "$small_dir")
SPROUT_GOOD_TORRENT=$(winepath -w "$work/small.torrent") SPROUT_READONLY_DIR=$(winepath -w "$readonly_dir") \
  wine "$bin/btengine_real_test.exe" --gtest_brief=1 --gtest_filter=RealEngine.BadInputEndsWithALineAndTheWindowAnswers
