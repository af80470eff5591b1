#!/usr/bin/env bash
# The real engine with BitTorrent clients that share no code with it: Transmission and rTorrent,
# each as the seeder bt.exe downloads from and as the downloader it seeds to, in a network of
# their own. One run takes encrypted connections only on both sides (a folder of files with
# Chinese names, small: Transmission paces its upload to a few MiB/s), the other each
# client's defaults. Every file is checked by SHA-256. The downloader starts once the seeder
# has gone, so what it gets comes from bt.exe, started again on what it downloaded after the
# downloader has announced itself: Transmission connects to no peer on 127.0.0.0/8 by itself,
# so bt.exe has to learn of it from the tracker and connect.
# Usage: interop_test.sh FLAVOUR BIN_DIR
# Exit 77 (skipped) when bt.exe on libtorrent was not built.
set -u
export SPROUT_FLAVOUR=$1
bin=$(cd "$2" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
SWARM_ENGINE="$bin/engine/bt.exe"
[ -f "$SWARM_ENGINE" ] || { echo "the real engine was not built (scripts/build-libtorrent.sh): skipped"; exit 77; }
. "$repo/scripts/wine-env.sh"
. "$repo/scripts/swarm.sh"
swarm_isolate "$@"
for tool in transmission-daemon transmission-remote rtorrent; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is not installed (scripts/setup.sh)"; exit 1; }
done
work=$(mktemp -d /tmp/sprout-interop.XXXXXX)
trap 'swarm_stop; rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*"
  for f in "$work"/*.out.err; do [ -s "$f" ] && sed "s|^|$(basename "$f" .out.err) stderr: |" "$f"; done
  exit 1
}

swarm_init "$work/swarm"
mkdir -p "$work/seed-a" "$work/seed-b"
swarm_random_file "$work/seed-a/下载 测试/第一部分.bin" $((3 * 1024 * 1024 / 2 + 12345))
swarm_random_file "$work/seed-a/下载 测试/附件/说明 ü.txt" 300000
swarm_random_file "$work/seed-a/下载 测试/空.txt" 0
swarm_random_file "$work/seed-b/payload.bin" $((16 * 1024 * 1024))
swarm_torrent "$work/seed-a/下载 测试" "$work/a.torrent" || fail "no torrent"
swarm_torrent "$work/seed-b/payload.bin" "$work/b.torrent" || fail "no torrent"
swarm_tracker || fail "no tracker"

# seeder downloader mode torrent interval: bt.exe downloads from the seeder, a block every
# interval seconds, then seeds to the downloader.
run() {
  local seeder=$1 fetcher=$2 mode=$3 torrent=$4 interval=$5 name
  name=$(basename "$torrent" .torrent)
  local seeds="$work/seed-$name" bt="$work/bt-$name" got="$work/got-$name" out="$work/$name"
  local start=$SECONDS
  mkdir -p "$bt"
  swarm_seed "$seeder" "$torrent" "$seeds" "$mode" || fail "$seeder does not seed"
  swarm_bt_start "$bt" "$torrent" "$out-1.out" "$interval"
  swarm_bt_seeding 120 "$out-1.out" 1 || fail "bt.exe did not download from $seeder ($mode) within 120 s: $(tail -c 300 "$out-1.out")"
  swarm_bt_stop || fail "bt.exe still runs 30 s after its output was closed"
  swarm_same_files "$seeds" "$bt" || fail "bt.exe's files are not $seeder's"
  # The block that completes the download shows what arrived in it, over the time it took.
  local rate
  rate=$(tr -d '\r' <"$out-1.out" | grep -m 1 -A 1 '^time left: Download Succeeded!' | sed -n 's/^download rate: //p')
  [ -n "$rate" ] && [ "$rate" != "0.0 kB/s" ] || fail "the block that completes the download shows a rate of ${rate:-nothing}"
  local took=$((SECONDS - start))

  swarm_end "$seeder" seed
  start=$SECONDS
  swarm_fetch "$fetcher" "$torrent" "$got" "$mode" || fail "$fetcher does not start"
  swarm_wait 30 swarm_tracked "$torrent" incomplete || fail "the tracker does not know $fetcher"
  swarm_bt_start "$bt" "$torrent" "$out-2.out"
  swarm_fetched "$fetcher" 120 || fail "$fetcher did not download from bt.exe ($mode) within 120 s: $(tail -c 300 "$out-2.out")"
  swarm_same_files "$seeds" "$got" || fail "$fetcher's files are not bt.exe's"
  swarm_bt_stop || fail "bt.exe (seeding) still runs 30 s after its output was closed"
  swarm_end "$fetcher" fetch
  local sent
  sent=$(tr -d '\r' <"$out-2.out" | grep ' up / ' | tail -n 1)
  [ "$(swarm_bt_blocks "$out-2.out" "seed status: seeding, 0 seeds, 1 peer connected")" -ge 1 ] \
    || fail "no block of bt.exe counts $fetcher: $(tr -d '\r' <"$out-2.out" | grep '^seed status' | uniq -c)"
  case "$sent" in "(0 B up"*) fail "bt.exe's blocks show nothing sent to $fetcher: $sent" ;; esac
  echo "$mode: bt.exe downloaded from $seeder in about $took s (the completing block's rate: $rate)," \
       "$fetcher from bt.exe in about $((SECONDS - start)) s; bt.exe's last block: $sent"
}

run transmission rtorrent encrypted "$work/a.torrent" 0.25
# Done within the first block, most likely: it shows the download's average.
run rtorrent transmission plain "$work/b.torrent" 5
echo "passed"
