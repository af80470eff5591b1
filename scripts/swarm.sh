# Sourced: BitTorrent swarms on the loopback for the real engine's tests, demo and benchmark:
# opentracker, aria2, Transmission and rTorrent as seeders, the latter two also as downloaders,
# each on its own loopback address (the tracker hands every announcer its own address among
# the others, and libtorrent, having connected to itself, bans that address for every peer on
# it; bt.exe announces from 127.0.0.1). DHT, local discovery, peer exchange and port mapping
# are off. Every wait is bounded.
#
# swarm_start DIR MIB [NAME]: a payload of random bytes, its torrent, the tracker and an aria2
#   seeder with JSON-RPC; exports SWARM_TORRENT, SWARM_PAYLOAD, SWARM_SHA256, SWARM_SIZE,
#   SWARM_RPC, SWARM_ANNOUNCE and SWARM_INFO_HASH. swarm_uploaded: the bytes it has sent.
# The parts, for other swarms: swarm_init DIR, swarm_random_file, swarm_torrent, swarm_tracker,
#   swarm_seed / swarm_fetch CLIENT, swarm_fetched, swarm_end CLIENT, swarm_same_files; bt.exe:
#   swarm_bt_start, swarm_bt_blocks, swarm_bt_seeding, swarm_bt_stop. swarm_stop ends all that
#   they started.
# swarm_isolate "$@": the calling script again in a private network and mount namespace.
swarm_pids=()
declare -gA swarm_client_pid=()

# One address per client and role, so that seeder and downloader of one kind may meet.
swarm_address() {  # client seed|fetch
  case "$1-$2" in
    aria2-seed) echo 127.0.0.2 ;; transmission-seed) echo 127.0.0.3 ;; rtorrent-seed) echo 127.0.0.4 ;;
    aria2-fetch) echo 127.0.0.5 ;; transmission-fetch) echo 127.0.0.6 ;; rtorrent-fetch) echo 127.0.0.7 ;;
    *) return 1 ;;
  esac
}

swarm_free_port() {  # [address]
  python3 -c 'import socket, sys; s=socket.socket(); s.bind((sys.argv[1], 0)); print(s.getsockname()[1])' \
    "${1:-127.0.0.1}"
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

# Runs the calling script again, with its arguments ("$@"), in a network namespace of its own
# with only the loopback, where its ports meet nobody else's, and a mount namespace in which the
# Wine prefix is a throw-away overlay of itself: Wine opens sockets in the wineserver, so the
# prefix needs a wineserver of its own inside the namespace. Without the privileges for that, it
# goes on where it is, on the machine's loopback.
swarm_isolate() {
  [ -n "${SWARM_ISOLATED:-}" ] && return 0
  if ! unshare -n -m true 2>/dev/null || ! command -v ip >/dev/null; then
    echo "swarm: no private network namespace here (unshare -n -m needs root): the machine's loopback is used" >&2
    return 0
  fi
  export SWARM_ISOLATED=1
  exec unshare -n -m -- bash -c '
    ip link set lo up || exit 1
    # unshare made every mount private: shared again, in peer groups of this namespace only,
    # so that what is mounted here later (the overlay, a small disk) reaches the namespaces
    # the WoW64 Wine makes as slaves of this one for each of its programs and its wineserver.
    mount --make-rshared / || exit 1
    if [ -d "${WINEPREFIX:-}" ]; then
      layer=$(mktemp -d /tmp/sprout-prefix.XXXXXX)
      mkdir "$layer/upper" "$layer/work"
      mount -t overlay overlay -o "lowerdir=$WINEPREFIX,upperdir=$layer/upper,workdir=$layer/work" "$WINEPREFIX" \
        || { echo "swarm: cannot lay an overlay over $WINEPREFIX" >&2; rm -rf "$layer"; exit 1; }
      # Wine makes every socket in the wineserver: the overlay must have one of its own, in
      # this network, not share the one outside.
      timeout 30 wineserver -p10 >/dev/null 2>&1
      here=$(readlink /proc/self/ns/net)
      for pid in $(pgrep "^wineserver"); do
        [ "$(readlink "/proc/$pid/ns/net")" = "$here" ] && own=$pid
      done
    fi
    if [ -n "${layer:-}" ] && [ -z "${own:-}" ]; then
      echo "FAILED: swarm: no wineserver of the overlaid prefix in this network; Wine would make its sockets outside it"
      status=1
    else
      "$@"
      status=$?
    fi
    if [ -n "${layer:-}" ]; then
      timeout 30 wineserver -k >/dev/null 2>&1
      timeout 30 wineserver -w >/dev/null 2>&1
      umount -l "$WINEPREFIX"
      rm -rf "$layer"
    fi
    exit $status' swarm bash "$0" "$@"
}

swarm_init() {  # dir
  SWARM_DIR=$1
  mkdir -p "$SWARM_DIR"
  SWARM_TRACKER_PORT=$(swarm_free_port)
  SWARM_ANNOUNCE="http://127.0.0.1:$SWARM_TRACKER_PORT/announce"
  : >"$SWARM_DIR/whitelist"
}

swarm_random_file() {  # path bytes
  mkdir -p "$(dirname "$1")"
  head -c "$2" /dev/urandom >"$1"
}

swarm_info_hash() {  # torrent
  LC_ALL=C LANGUAGE=C aria2c -S "$1" | sed -n 's/^Info Hash: //p'
}

# A torrent of a file or a folder, announcing to the tracker, on its whitelist.
swarm_torrent() {  # source torrent
  rm -f "$2"
  mktorrent -a "$SWARM_ANNOUNCE" -l 18 -o "$2" "$1" >/dev/null || return 1
  swarm_info_hash "$2" >>"$SWARM_DIR/whitelist"
}

# The tracker counts a peer of the torrent that has it all (complete) or not yet (incomplete).
swarm_tracked() {  # torrent [complete|incomplete]
  python3 - "$SWARM_ANNOUNCE" "$(swarm_info_hash "$1")" "${2:-complete}" <<'PY'
import re, sys, urllib.request, urllib.parse
url = sys.argv[1].replace("/announce", "/scrape") + "?info_hash=" + urllib.parse.quote(bytes.fromhex(sys.argv[2]))
body = urllib.request.urlopen(url, timeout=5).read()
count = re.search(rb"%d:%si(\d+)e" % (len(sys.argv[3]), sys.argv[3].encode()), body)
sys.exit(0 if count and int(count.group(1)) > 0 else 1)
PY
}

swarm_tracker_answers() { curl -s --max-time 2 -o /dev/null "${SWARM_ANNOUNCE%/announce}/stats"; }

# The tracker, for the torrents made so far.
swarm_tracker() {
  # Run as root, opentracker changes root into its directory and becomes nobody, who then reads
  # the whitelist there.
  chmod a+rx "$SWARM_DIR"
  chmod a+r "$SWARM_DIR/whitelist"
  opentracker -i 127.0.0.1 -p "$SWARM_TRACKER_PORT" -P "$SWARM_TRACKER_PORT" -d "$SWARM_DIR" -w whitelist \
    >"$SWARM_DIR/tracker.log" 2>&1 &
  swarm_pids+=($!)
  swarm_wait 20 swarm_tracker_answers || { echo "swarm: the tracker does not answer" >&2; return 1; }
}

# swarm_seed CLIENT TORRENT DIR [encrypted]: CLIENT (aria2, transmission, rtorrent) seeds the
# torrent's payload, which lies in DIR, and the tracker knows it; "encrypted": it takes
# encrypted connections only.
swarm_seed() {
  swarm_client "$1" seed "$2" "$3" "${4:-}" || return 1
  swarm_wait 60 swarm_tracked "$2" || { echo "swarm: the tracker does not know the $1 seeder" >&2; return 1; }
}

# swarm_fetch CLIENT TORRENT DIR [encrypted]: CLIENT (transmission, rtorrent) downloads the
# torrent into DIR; swarm_fetched CLIENT SECONDS waits until it has it all.
swarm_fetch() { swarm_client "$1" fetch "$2" "$3" "${4:-}"; }
swarm_fetched() { swarm_wait "$2" test -f "$SWARM_DIR/$1-fetch/done"; }

# The client's function below sees these locals.
swarm_client() {  # client role torrent dir encrypted
  local client=$1 role=$2 torrent=$3 dir=$4 encrypted=$5
  local home="$SWARM_DIR/$client-$role" address port
  address=$(swarm_address "$client" "$role") || { echo "swarm: no client $client" >&2; return 1; }
  port=$(swarm_free_port "$address")
  rm -rf "$home"
  mkdir -p "$home" "$dir"
  case "$client" in
    aria2) swarm_aria2 ;;
    transmission) swarm_transmission ;;
    rtorrent) swarm_rtorrent ;;
  esac || { echo "swarm: $client does not start as a ${role}er" >&2; return 1; }
  swarm_pids+=("${swarm_client_pid[$client-$role]}")
}

# aria2, as a seeder only (the benchmark times aria2c downloading by itself); it also answers
# JSON-RPC on the loopback.
swarm_aria2() {
  [ "$role" = seed ] || return 1
  local rpc_port
  rpc_port=$(swarm_free_port)
  SWARM_RPC="http://127.0.0.1:$rpc_port/jsonrpc"
  aria2c --dir="$dir" --interface="$address" --listen-port="$port" --enable-dht=false \
    --enable-dht6=false --bt-enable-lpd=false --enable-peer-exchange=false \
    --bt-require-crypto="$([ "$encrypted" = encrypted ] && echo true || echo false)" \
    --seed-ratio=0.0 --check-integrity=true --bt-seed-unverified=true \
    --enable-rpc=true --rpc-listen-port="$rpc_port" --rpc-listen-all=false \
    --bt-tracker-interval=1 --console-log-level=warn --summary-interval=0 --quiet=true \
    "$torrent" >"$home/log" 2>&1 &
  swarm_client_pid[$client-$role]=$!
}

swarm_transmission() {
  local rpc_port
  rpc_port=$(swarm_free_port "$address")
  printf '#!/bin/sh\ntouch "%s/done"\n' "$home" >"$home/done.sh"
  chmod +x "$home/done.sh"
  cat >"$home/settings.json" <<EOF
{
  "bind-address-ipv4": "$address", "peer-port": $port,
  "rpc-bind-address": "$address", "rpc-port": $rpc_port, "rpc-whitelist-enabled": false,
  "rpc-authentication-required": false, "dht-enabled": false, "lpd-enabled": false,
  "pex-enabled": false, "port-forwarding-enabled": false, "utp-enabled": false,
  "encryption": $([ "$encrypted" = encrypted ] && echo 2 || echo 1),
  "download-dir": "$dir", "incomplete-dir-enabled": false, "rename-partial-files": false,
  "ratio-limit-enabled": false, "speed-limit-up-enabled": false, "speed-limit-down-enabled": false,
  "script-torrent-done-enabled": true, "script-torrent-done-filename": "$home/done.sh",
  "message-level": 1
}
EOF
  transmission-daemon -f -g "$home" -e "$home/log" >"$home/out" 2>&1 &
  swarm_client_pid[$client-$role]=$!
  swarm_wait 30 timeout 5 transmission-remote "$address:$rpc_port" -l >/dev/null 2>&1 || return 1
  timeout 10 transmission-remote "$address:$rpc_port" -a "$torrent" -w "$dir" >>"$home/out" 2>&1
}

swarm_rtorrent() {
  local encryption=""
  [ "$encrypted" = encrypted ] && encryption="protocol.encryption.set = allow_incoming,try_outgoing,require,require_RC4"
  cat >"$home/rtorrent.rc" <<EOF
system.daemon.set = true
session.path.set = $home
directory.default.set = $dir
network.bind_address.set = $address
network.port_range.set = $port-$port
network.port_random.set = no
dht.mode.set = disable
protocol.pex.set = no
trackers.use_udp.set = no
$encryption
method.set_key = event.download.finished, sprout_done, "execute.nothrow = touch, $home/done"
schedule2 = sprout_load, 0, 0, "load.start = $torrent"
EOF
  rtorrent -n -o import="$home/rtorrent.rc" >"$home/log" 2>&1 &
  swarm_client_pid[$client-$role]=$!
}

swarm_end_pid() {  # pid: asked to end, then made to
  kill "$1" 2>/dev/null
  timeout 10 tail --pid="$1" -f /dev/null 2>/dev/null || kill -9 "$1" 2>/dev/null
}

# Ends one client, so that what is downloaded next comes from the others.
swarm_end() {  # client role
  local pid=${swarm_client_pid[$1-$2]:-}
  [ -n "$pid" ] && swarm_end_pid "$pid"
  unset "swarm_client_pid[$1-$2]"
}

# Every file under two folders, by path and SHA-256: the same.
swarm_same_files() {  # folder folder
  local a b
  a=$(cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum) || return 1
  b=$(cd "$2" && find . -type f -print0 | sort -z | xargs -0 sha256sum) || return 1
  [ -n "$a" ] && [ "$a" = "$b" ]
}

swarm_start() {  # dir mib [name]
  local dir=$1 mib=$2 name=${3:-payload.bin}
  swarm_init "$dir"
  SWARM_PAYLOAD="$dir/seed/$name"
  SWARM_SIZE=$((mib * 1024 * 1024))
  swarm_random_file "$SWARM_PAYLOAD" "$SWARM_SIZE"
  SWARM_SHA256=$(sha256sum "$SWARM_PAYLOAD" | cut -d' ' -f1)
  SWARM_TORRENT="$dir/$name.torrent"
  swarm_torrent "$SWARM_PAYLOAD" "$SWARM_TORRENT" || return 1
  SWARM_INFO_HASH=$(swarm_info_hash "$SWARM_TORRENT")
  swarm_tracker || return 1
  swarm_seed aria2 "$SWARM_TORRENT" "$dir/seed" || return 1
  export SWARM_TORRENT SWARM_PAYLOAD SWARM_SHA256 SWARM_SIZE SWARM_RPC SWARM_ANNOUNCE SWARM_INFO_HASH
}

swarm_rpc() {  # method [params-json]
  curl -s --max-time 5 -d "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"aria2.$1\",\"params\":[${2:-}]}" \
    "$SWARM_RPC"
}

swarm_uploaded() {
  swarm_rpc tellActive '["uploadLength"]' | sed -n 's/.*"uploadLength":"\([0-9]*\)".*/\1/p'
}

# bt.exe (SWARM_ENGINE) started in DIR on TORRENT, a block every INTERVAL seconds (a quarter
# by default), its output read into OUT (and its standard error into OUT.err) until
# swarm_bt_stop closes it.
swarm_bt_start() {  # dir torrent out [interval]
  rm -f "$3.fifo"
  mkfifo "$3.fifo"
  cat "$3.fifo" >"$3" &
  SWARM_BT_READER=$!
  (cd "$1" && exec wine "$SWARM_ENGINE" --minport 8888 --maxport 9000 --display_interval "${4:-0.25}" \
     "$(winepath -w "$2")" >"$3.fifo" 2>"$3.err") &
  SWARM_BT_PID=$!
  swarm_pids+=("$SWARM_BT_PID" "$SWARM_BT_READER")
}

swarm_bt_blocks() {  # out text: how many of its lines begin with the text
  tr -d '\r' <"$1" | grep -c "^$2"
}

# Waits up to SECONDS for COUNT blocks that say bt.exe seeds; false at once when it has ended.
swarm_bt_seeding() {  # seconds out count
  local deadline=$((SECONDS + $1))
  until [ "$(swarm_bt_blocks "$2" "seed status: seeding")" -ge "$3" ]; do
    kill -0 "$SWARM_BT_PID" 2>/dev/null && [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# Closes bt.exe's output: it has to end by itself, within 30 s.
swarm_bt_stop() {
  kill "$SWARM_BT_READER" 2>/dev/null
  wait "$SWARM_BT_READER" 2>/dev/null
  if ! timeout 30 tail --pid="$SWARM_BT_PID" -f /dev/null; then
    swarm_end_pid "$SWARM_BT_PID"
    return 1
  fi
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
  swarm_client_pid=()
}
