#!/usr/bin/env bash
# The real engine's download rate on the loopback, next to aria2c's from the same seeder, for
# each seeder (aria2, Transmission, rTorrent), in a network of its own: prints the benchmark
# report's rows (tab-separated: measure, bt.exe, aria2c, ratio, target, verdict). bt.exe's time
# runs from its start under Wine (its wineserver already running) to its first seeding block;
# aria2c's (Linux) from its start to its end. Transmission paces its upload to a few MiB/s, so its payload is smaller.
# Usage: bench-swarm.sh FLAVOUR BIN_DIR
set -u
export SPROUT_FLAVOUR=$1
bin=$(cd "$2" && pwd)
repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/scripts/wine-env.sh"
. "$repo/scripts/swarm.sh"
swarm_isolate "$@"
work=$(mktemp -d /tmp/sprout-bench-swarm.XXXXXX)
trap 'swarm_stop; rm -rf "$work"' EXIT

calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
row() { printf '%s\t' "$@"; echo; }

bt_time() {  # dir torrent: seconds to the first seeding block; bt.exe ends when grep stops reading
  local start
  start=$(date +%s.%N)
  # Only grep's answer counts: bt.exe and tr end on the broken pipe, as they should.
  (set +o pipefail; cd "$1" && timeout 300 wine "$bin/engine/bt.exe" --minport 8888 --maxport 9000 \
     --display_interval 0.1 "$(winepath -w "$2")" 2>/dev/null | tr -d '\r' \
     | grep -m 1 -q '^seed status: seeding') || return 1
  calc "$(date +%s.%N) - $start" 3
}

aria2c_time() {  # dir torrent: seconds for aria2c to download and leave
  local start
  start=$(date +%s.%N)
  timeout 30 aria2c --dir="$1" --interface="$(swarm_address aria2 fetch)" --seed-time=0 \
    --file-allocation=none --enable-dht=false --enable-dht6=false --bt-enable-lpd=false \
    --enable-peer-exchange=false --listen-port="$(swarm_free_port)" --summary-interval=0 --quiet=true \
    "$2" >/dev/null 2>&1 || return 1
  calc "$(date +%s.%N) - $start" 3
}

same_payload() { cmp -s "$1/payload.bin" "$2/payload.bin"; }

race() {  # seeder torrent source mib
  local seeder=$1 torrent=$2 source=$3 mib=$4 t_bt t_a measure
  measure="loopback download $mib MiB from $seeder, bt.exe (MiB/s)"
  rm -rf "$work/bt" "$work/aria2c"
  mkdir -p "$work/bt" "$work/aria2c"
  if ! swarm_seed "$seeder" "$torrent" "$source" >/dev/null 2>&1; then
    row "$measure" "n/a (no $seeder seeder)" "-" "-" ">= 0.5x" "-"
    return
  fi
  t_bt=$(bt_time "$work/bt" "$torrent") && same_payload "$source" "$work/bt" || t_bt=""
  t_a=$(aria2c_time "$work/aria2c" "$torrent") && same_payload "$source" "$work/aria2c" || t_a=""
  swarm_end "$seeder" seed
  if [ -n "$t_bt" ] && [ -n "$t_a" ]; then
    local r_bt r_a
    r_bt=$(calc "$mib/$t_bt" 1)
    r_a=$(calc "$mib/$t_a" 1)
    row "$measure" "$r_bt" "$r_a aria2c" "$(calc "$r_bt/$r_a")x" ">= 0.5x" \
        "$(awk "BEGIN { print ($r_bt >= 0.5 * $r_a) ? \"met\" : \"missed\" }")"
  elif [ -n "$t_bt" ]; then
    row "$measure" "$(calc "$mib/$t_bt" 1)" "n/a (aria2c did not finish in 30 s)" "-" ">= 0.5x" "-"
  else
    row "$measure" "n/a (bt.exe ${t_bt:-failed}, aria2c ${t_a:-failed})" "-" "-" ">= 0.5x" "-"
  fi
}

# The namespace's own wineserver, started and kept before the first measure.
wineserver -p >/dev/null 2>&1
wine cmd.exe /c exit </dev/null >/dev/null 2>&1
swarm_init "$work/swarm"
swarm_random_file "$work/big/payload.bin" $((256 * 1024 * 1024))
swarm_random_file "$work/small/payload.bin" $((32 * 1024 * 1024))
swarm_torrent "$work/big/payload.bin" "$work/big.torrent" || exit 1
swarm_torrent "$work/small/payload.bin" "$work/small.torrent" || exit 1
swarm_tracker || exit 1
race aria2 "$work/big.torrent" "$work/big" 256
race transmission "$work/small.torrent" "$work/small" 32
race rtorrent "$work/big.torrent" "$work/big" 256
