#!/usr/bin/env bash
# The real engine in a real swarm on the loopback, in a network of its own: opentracker and an
# aria2 seeder of a 64 MiB payload. bt.exe under Wine downloads it (SHA-256 checked; a block
# every quarter second, so that even a fast download shows its rate and the seeder among its
# connections) and ends once its output is no longer read; that output goes through the
# front-end's parser; then sprout.exe with the real engine downloads, stops part way and
# resumes; and downloads into a small file system that another writer fills part way, where
# this machine lets us mount one. Usage: swarm_test.sh FLAVOUR BIN_DIR
# Exit 77 (skipped) when bt.exe on libtorrent was not built.
set -u
export SPROUT_FLAVOUR=$1
bin=$(cd "$2" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
SWARM_ENGINE="$bin/engine/bt.exe"
[ -f "$SWARM_ENGINE" ] || { echo "the real engine was not built (scripts/build-libtorrent.sh): skipped"; exit 77; }
. "$repo/scripts/wine-env.sh"
. "$repo/scripts/display.sh"
. "$repo/scripts/swarm.sh"
swarm_isolate "$@"
sprout_ensure_display || exit 1
work=$(mktemp -d /tmp/sprout-swarm.XXXXXX)
small="$work/small"
# Also the display's clean-up, when sprout_ensure_display started one for this script.
trap 'swarm_stop; mountpoint -q "$small" && umount "$small"; rm -rf "$work"
      [ -n "${SPROUT_XVFB_PID:-}" ] && sprout_display_cleanup' EXIT
fail() { echo "FAILED: $*"; [ -s "$work/out.txt.err" ] && sed 's/^/bt.exe stderr: /' "$work/out.txt.err"; exit 1; }

swarm_start "$work/swarm" 64 || fail "no swarm"
mkdir "$work/dl"
start=$SECONDS
swarm_bt_start "$work/dl" "$SWARM_TORRENT" "$work/out.txt"
swarm_bt_seeding 180 "$work/out.txt" 1 || fail "no seeding block within 180 s: $(tail -c 400 "$work/out.txt")"
took=$((SECONDS - start))
swarm_bt_seeding 30 "$work/out.txt" 3 || fail "not three seeding blocks: $(tail -c 400 "$work/out.txt")"
# Nobody reads its output any more: the engine has to end by itself.
swarm_bt_stop || fail "bt.exe still runs 30 s after its output was closed"
got=$(sha256sum "$work/dl/payload.bin" | cut -d' ' -f1)
[ "$got" = "$SWARM_SHA256" ] || fail "SHA-256 of the download $got, of the payload $SWARM_SHA256"
[ "$(swarm_bt_blocks "$work/out.txt" "seed status: 1 seed, 0 peers connected")" -ge 1 ] \
  || fail "no block counts the seeder: $(tr -d '\r' <"$work/out.txt" | grep '^seed status' | sort | uniq -c)"
echo "bt.exe downloaded $((SWARM_SIZE / 1048576)) MiB in about $took s; SHA-256 matches; it ended when its output closed"

SPROUT_ENGINE_OUTPUT=$(winepath -w "$work/out.txt") \
  wine "$bin/btengine_real_test.exe" --gtest_brief=1 --gtest_filter=RealEngine.OutputGoesThroughTheParser \
  || fail "the captured output through the parser"

# Slow enough that a Stop, or another writer, lands part way through the download.
swarm_rpc changeGlobalOption '{"max-overall-upload-limit":"6M"}' >/dev/null
export SPROUT_SWARM_TORRENT=$(winepath -w "$SWARM_TORRENT") SPROUT_SWARM_PAYLOAD=$(winepath -w "$SWARM_PAYLOAD")
export SPROUT_SWARM_RPC_PORT=$(sed -E 's|.*:([0-9]+)/.*|\1|' <<<"$SWARM_RPC")
wine "$bin/btengine_real_test.exe" --gtest_brief=1 --gtest_filter=RealEngine.SproutDownloadsStopsAndResumes \
  || fail "sprout.exe with the real engine"

# Room for the payload and a little more, in this test's own mount namespace.
mkdir "$small"
if mount -t tmpfs -o size=$((SWARM_SIZE / 1048576 + 8))m tmpfs "$small" 2>/dev/null; then
  SPROUT_SMALL_DISK=$(winepath -w "$small") \
    wine "$bin/btengine_real_test.exe" --gtest_brief=1 --gtest_filter=RealEngine.AFullDiskEndsTheRunAndTheNextStartResumes \
    || fail "a disk that fills up"
else
  echo "no small file system can be mounted here: the full disk case is skipped"
fi
echo "passed"
