# Sourced: a BitTorrent swarm on the loopback for the real engine's tests, demo and benchmark.
# swarm_start DIR MIB [NAME] makes a payload of random bytes, a torrent of it that announces to
# an opentracker (which serves only the torrents on its whitelist) and an aria2 seeder, and
# exports SWARM_TORRENT, SWARM_PAYLOAD, SWARM_SHA256, SWARM_SIZE, SWARM_RPC (the seeder's
# JSON-RPC address) and SWARM_ANNOUNCE. swarm_uploaded prints the bytes the seeder has sent;
# swarm_stop ends what swarm_start started. Every wait is bounded.
swarm_pids=()

swarm_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

swarm_rpc() {  # method [params-json]
  curl -s --max-time 5 -d "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"aria2.$1\",\"params\":[${2:-}]}" \
    "$SWARM_RPC"
}

# Waits up to $1 seconds for the command that follows to succeed.
swarm_wait() {
  local seconds=$1; shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.2
  done
}

swarm_seeding() {
  swarm_rpc tellActive '["seeder"]' | grep -q '"seeder":"true"'
}

# The tracker knows the seeder: its scrape of the torrent counts one complete peer.
swarm_tracked() {
  python3 - "$SWARM_ANNOUNCE" "$SWARM_INFO_HASH" <<'PY'
import sys, urllib.request, urllib.parse
url = sys.argv[1].replace("/announce", "/scrape") + "?info_hash=" + urllib.parse.quote(bytes.fromhex(sys.argv[2]))
body = urllib.request.urlopen(url, timeout=5).read()
sys.exit(0 if b"8:completei1e" in body else 1)
PY
}

swarm_start() {  # dir mib [name]
  local dir=$1 mib=$2 name=${3:-payload.bin}
  mkdir -p "$dir/seed"
  SWARM_PAYLOAD="$dir/seed/$name"
  head -c "$((mib * 1024 * 1024))" /dev/urandom >"$SWARM_PAYLOAD"
  SWARM_SIZE=$((mib * 1024 * 1024))
  SWARM_SHA256=$(sha256sum "$SWARM_PAYLOAD" | cut -d' ' -f1)
  local tracker_port peer_port rpc_port
  tracker_port=$(swarm_free_port)
  peer_port=$(swarm_free_port)
  rpc_port=$(swarm_free_port)
  SWARM_ANNOUNCE="http://127.0.0.1:$tracker_port/announce"
  SWARM_RPC="http://127.0.0.1:$rpc_port/jsonrpc"
  SWARM_TORRENT="$dir/$name.torrent"
  rm -f "$SWARM_TORRENT"
  mktorrent -a "$SWARM_ANNOUNCE" -l 18 -o "$SWARM_TORRENT" "$SWARM_PAYLOAD" >/dev/null || return 1
  SWARM_INFO_HASH=$(LC_ALL=C LANGUAGE=C aria2c -S "$SWARM_TORRENT" | sed -n 's/^Info Hash: //p')
  echo "$SWARM_INFO_HASH" >"$dir/whitelist"
  # Run as root, opentracker changes root into its directory and becomes nobody, who then
  # reads the whitelist there.
  chmod a+rx "$dir"
  chmod a+r "$dir/whitelist"
  opentracker -i 127.0.0.1 -p "$tracker_port" -P "$tracker_port" -d "$dir" -w whitelist \
    >"$dir/tracker.log" 2>&1 &
  swarm_pids+=($!)
  aria2c --dir="$dir/seed" --seed-ratio=0.0 --check-integrity=true --bt-seed-unverified=true \
    --listen-port="$peer_port" --dht-listen-port="$peer_port" --enable-dht=false --enable-dht6=false \
    --bt-enable-lpd=false --enable-peer-exchange=false --bt-require-crypto=false \
    --enable-rpc=true --rpc-listen-port="$rpc_port" --rpc-listen-all=false \
    --bt-tracker-interval=1 --console-log-level=warn --summary-interval=0 --quiet=true \
    "$SWARM_TORRENT" >"$dir/seeder.log" 2>&1 &
  swarm_pids+=($!)
  export SWARM_TORRENT SWARM_PAYLOAD SWARM_SHA256 SWARM_SIZE SWARM_RPC SWARM_ANNOUNCE SWARM_INFO_HASH
  swarm_wait 60 swarm_seeding || { echo "swarm: the seeder did not start" >&2; return 1; }
  swarm_wait 30 swarm_tracked || { echo "swarm: the tracker does not know the seeder" >&2; return 1; }
}

swarm_uploaded() {
  swarm_rpc tellActive '["uploadLength"]' | sed -n 's/.*"uploadLength":"\([0-9]*\)".*/\1/p'
}

swarm_stop() {
  local pid
  for pid in "${swarm_pids[@]}"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${swarm_pids[@]}"; do
    timeout 10 tail --pid="$pid" -f /dev/null 2>/dev/null || kill -9 "$pid" 2>/dev/null
  done
  swarm_pids=()
}
