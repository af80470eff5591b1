#!/usr/bin/env bash
# The real engine in a real swarm on the loopback: opentracker and an aria2 seeder of a 64 MiB
# payload. bt.exe under Wine downloads it (SHA-256 checked; a block every quarter second, so that
# even a fast download shows its rate) and ends once its output is no
# longer read; that output goes through the front-end's parser; then sprout.exe with the real
# engine downloads, stops part way and resumes. Usage: swarm_test.sh FLAVOUR BIN_DIR
# Exit 77 (skipped) when bt.exe on libtorrent was not built.
set -u
export SPROUT_FLAVOUR=$1
bin=$(cd "$2" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
engine="$bin/engine/bt.exe"
[ -f "$engine" ] || { echo "the real engine was not built (scripts/build-libtorrent.sh): skipped"; exit 77; }
. "$repo/scripts/wine-env.sh"
. "$repo/scripts/display.sh"
. "$repo/scripts/swarm.sh"
sprout_ensure_display || exit 1
work=$(mktemp -d /tmp/sprout-swarm.XXXXXX)
# Also the display's clean-up, when sprout_ensure_display started one for this script.
trap 'swarm_stop; rm -rf "$work"; [ -n "${SPROUT_XVFB_PID:-}" ] && sprout_display_cleanup' EXIT
fail() { echo "FAILED: $*"; [ -f "$work/err.txt" ] && sed 's/^/bt.exe stderr: /' "$work/err.txt"; exit 1; }

swarm_start "$work" 64 || fail "no swarm"
mkdir "$work/dl"
mkfifo "$work/out.fifo"
(cd "$work/dl" && exec wine "$engine" --minport 8888 --maxport 9000 --display_interval 0.25 \
   "$(winepath -w "$SWARM_TORRENT")" >"$work/out.fifo" 2>"$work/err.txt") &
engine_pid=$!
exec 3<"$work/out.fifo"
: >"$work/out.txt"
seeding=0
took=-1
start=$SECONDS
while [ $((SECONDS - start)) -lt 180 ]; do
  if IFS= read -r -t 5 line <&3; then
    printf '%s\n' "$line" >>"$work/out.txt"
    case "$line" in "seed status: seeding"*) seeding=$((seeding + 1)); [ "$seeding" = 1 ] && took=$((SECONDS - start)) ;; esac
    [ "$seeding" -ge 3 ] && break
  elif ! kill -0 "$engine_pid" 2>/dev/null; then
    break
  fi
done
# Nobody reads its output any more: the engine has to end by itself.
exec 3<&-
ended=0
for _ in $(seq 1 150); do
  kill -0 "$engine_pid" 2>/dev/null || { ended=1; break; }
  sleep 0.2
done
[ "$ended" = 1 ] || { kill "$engine_pid"; fail "bt.exe still runs 30 s after its output was closed"; }
[ "$seeding" -ge 3 ] || fail "not three seeding blocks within 180 s: $(tail -c 400 "$work/out.txt")"
got=$(sha256sum "$work/dl/payload.bin" | cut -d' ' -f1)
[ "$got" = "$SWARM_SHA256" ] || fail "SHA-256 of the download $got, of the payload $SWARM_SHA256"
echo "bt.exe downloaded $((SWARM_SIZE / 1048576)) MiB in about $took s; SHA-256 matches; it ended when its output closed"

SPROUT_ENGINE_OUTPUT=$(winepath -w "$work/out.txt") \
  wine "$bin/btengine_real_test.exe" --gtest_brief=1 --gtest_filter=RealEngine.OutputGoesThroughTheParser \
  || fail "the captured output through the parser"

# Slow enough that a Stop lands part way through the download.
swarm_rpc changeGlobalOption '{"max-overall-upload-limit":"6M"}' >/dev/null
SPROUT_SWARM_TORRENT=$(winepath -w "$SWARM_TORRENT") SPROUT_SWARM_PAYLOAD=$(winepath -w "$SWARM_PAYLOAD") \
SPROUT_SWARM_RPC_PORT=$(sed -E 's|.*:([0-9]+)/.*|\1|' <<<"$SWARM_RPC") \
  wine "$bin/btengine_real_test.exe" --gtest_brief=1 --gtest_filter=RealEngine.SproutDownloadsStopsAndResumes \
  || fail "sprout.exe with the real engine"
echo "passed"
