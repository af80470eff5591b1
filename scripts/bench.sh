#!/usr/bin/env bash
# The benchmark report: builds what it measures, then prints one table in which every figure of
# sprout.exe stands next to a baseline measured in the same run, with its target and verdict.
# Takes about four minutes, most of them three 30-second CPU runs and a 10-second flood. Not part
# of scripts/test.sh.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
"$repo/scripts/setup.sh" >/dev/null || exit 1
. "$repo/scripts/wine-env.sh"
. "$repo/scripts/display.sh"
jobs=$(nproc)
cpu_seconds=30
flood_seconds=10
startup_runs=10

say() { echo "== $*" >&2; }

# build <dir> <targets...> -- <cmake-args...>: configures, then builds the targets it has.
build() {
  local dir=$1; shift
  local targets=()
  while [ "$1" != -- ]; do targets+=("$1"); shift; done
  shift
  mkdir -p "$dir"
  cmake -S "$repo" -B "$dir" "$@" >"$dir/configure.log" 2>&1 || { tail -n 40 "$dir/configure.log" >&2; return 1; }
  local known present=()
  known=$(cmake --build "$dir" --target help 2>/dev/null)
  for t in "${targets[@]}"; do
    grep -qE "^\.\.\. $t( |$)" <<<"$known" && present+=("$t")
  done
  cmake --build "$dir" -j"$jobs" --target "${present[@]}" >"$dir/build.log" 2>&1 \
    || { grep -E -A5 'error|Error' "$dir/build.log" | head -n 80 >&2; return 1; }
}

say "building ($SPROUT_WIN_BUILD, build/bench, libtorrent)"
"$repo/scripts/build-libtorrent.sh" "$SPROUT_FLAVOUR" >&2 || say "no libtorrent: the real engine's rows stay empty"
build "$SPROUT_WIN_BUILD" sprout bare_dialog probe bt btengine stop_bench -- -DCMAKE_TOOLCHAIN_FILE="$SPROUT_TOOLCHAIN" || exit 1
build build/bench status_parser_bench -- -DCMAKE_BUILD_TYPE=Release -DSPROUT_BENCH=ON || exit 1
bin="$SPROUT_WIN_BUILD/bin"

# Arithmetic and formatting through awk: calc <expression>, as %.<digits>f.
calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
verdict() { awk "BEGIN { print ($1) ? \"met\" : \"missed\" }"; }

rows=()
row() { rows+=("$(printf '%s\t' "$@")"); }
na() { row "$1" "$2" "-" "-" "${3:--}" "-"; }

# --- size and imported DLLs
say "size and imports"
strip_size() { "$SPROUT_TRIPLE-strip" -o "$2" "$1" && stat -c %s "$2"; }
imports() { "$SPROUT_TRIPLE-objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p' | sort -f; }
work=build/bench/run
rm -rf "$work"
mkdir -p "$work/app" "$work/save" "$work/payload"
size_s=$(stat -c %s $bin/sprout.exe)
size_b=$(stat -c %s $bin/bare_dialog.exe)
row "file size (bytes)" "$size_s" "$size_b" "$(calc "$size_s/$size_b")x" "<= 1.5x" "$(verdict "$size_s <= 1.5*$size_b")"
strip_s=$(strip_size $bin/sprout.exe "$work/sprout-stripped.exe")
strip_b=$(strip_size $bin/bare_dialog.exe "$work/bare-stripped.exe")
row "stripped size (bytes)" "$strip_s" "$strip_b" "$(calc "$strip_s/$strip_b")x" "<= 1.5x" "$(verdict "$strip_s <= 1.5*$strip_b")"
dll_s=$(imports $bin/sprout.exe)
dll_b=$(imports $bin/bare_dialog.exe)
extra=$(comm -23 <(tr 'A-Z' 'a-z' <<<"$dll_s") <(tr 'A-Z' 'a-z' <<<"$dll_b") | tr '\n' ' ')
n_s=$(wc -l <<<"$dll_s")
n_b=$(wc -l <<<"$dll_b")
row "imported DLLs" "$n_s (+ ${extra% })" "$n_b ($(tr '\n' ' ' <<<"$dll_b" | sed 's/ $//'))" "$(calc "$n_s/$n_b")x" "-" "-"

# --- start-up time under Wine. The display comes first: Wine's desktop binds to it on the
# first Wine command, and without one no window ever shows.
sprout_ensure_display || exit 1
wineserver -p >/dev/null 2>&1 || true
wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
cp $bin/sprout.exe $bin/bare_dialog.exe "$work/app/"
[ -f $bin/bt.exe ] && cp $bin/bt.exe "$work/app/"
appwin=$(winepath -w "$work/app")
savewin=$(winepath -w "$work/save")
truncate -s 256M "$work/payload/demo.bin"
mktorrent -l 20 -a http://127.0.0.1:6969/announce -o "$work/app/demo.torrent" "$work/payload/demo.bin" >/dev/null
rm -f "$work/payload/demo.bin"
printf '[demo.torrent]\r\nPath=%s\\\r\n' "$savewin" >"$work/app/settings.ini"

say "start-up, $startup_runs runs each"
startup() { wine $bin/probe.exe startup "$appwin\\$1" "${2:-demo.torrent}" </dev/null 2>/dev/null | tr -d '\r'; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; printf "%.1f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
startup sprout.exe >/dev/null
startup bare_dialog.exe >/dev/null
times_s=()
times_b=()
for _ in $(seq "$startup_runs"); do
  times_b+=("$(startup bare_dialog.exe)")
  times_s+=("$(startup sprout.exe)")
done
med_s=$(printf '%s\n' "${times_s[@]}" | grep -E '^[0-9.]+$' | median)
med_b=$(printf '%s\n' "${times_b[@]}" | grep -E '^[0-9.]+$' | median)
if [ -n "$med_s" ] && [ -n "$med_b" ]; then
  row "start-up to visible dialog (ms)" "$med_s" "$med_b" "$(calc "$med_s/$med_b")x" "<= 1.5x" "$(verdict "$med_s <= 1.5*$med_b")"
else
  na "start-up to visible dialog (ms)" "n/a (dialog not seen)" "<= 1.5x"
fi

# --- CPU time over 30 s, read from /proc: Wine reports no times for other processes.
# The Wine process of a program started by the probe shows its Windows path first in cmdline.
unix_pid() {
  local p cmd i
  for i in $(seq 50); do
    for p in /proc/[0-9]*; do
      cmd=$(tr '\0' ' ' 2>/dev/null <"$p/cmdline") || continue
      case "$cmd" in "$1"*) echo "${p#/proc/}"; return 0 ;; esac
    done
    sleep 0.1
  done
  return 1
}
# CPU time in ns, summed over the threads: the scheduler's own count, as /proc/<pid>/stat counts
# in 10 ms ticks, too coarse for a target of 0.1% (30 ms in 30 s). A thread that ends between
# two readings would take its time with it; in the runs measured here none does.
cpu_ns() {
  local f ns total=0
  for f in /proc/"$1"/task/*/schedstat; do
    read -r ns _ 2>/dev/null <"$f" && total=$((total + ns))
  done
  [ "$total" -gt 0 ] && echo "$total"
}
# Times the threads of a process have been switched in, voluntarily or not: its wake-ups.
wakeups() {
  awk '/^(non)?voluntary_ctxt_switches:/ { n += $2 } END { if (NR) print n + 0 }' /proc/"$1"/task/*/status 2>/dev/null
}
# The prefix's wineserver does the work of every Wine call that crosses processes.
wineserver_pid() {
  local p
  for p in /proc/[0-9]*; do
    case "$(cat "$p/comm" 2>/dev/null)" in wineserver*) ;; *) continue ;; esac
    tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && { echo "${p#/proc/}"; return 0; }
  done
  return 1
}
# Peak working set (resident set) of a process so far, in KB.
peak_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }
# cpu_run <press-id> [seconds]: "<sprout.exe seconds> <wineserver seconds> <sprout.exe peak KB>
# <sprout.exe wake-ups>" over the seconds ($cpu_seconds when not given), or "n/a (why)".
cpu_run() {
  local line pid server t0 t1 w0 w1 k0 k1 peak result
  coproc PROBE { wine $bin/probe.exe hold "$1" "$appwin\\sprout.exe" demo.torrent 2>/dev/null; }
  exec {probe_in}>&"${PROBE[1]}"
  read -r -t 90 line <&"${PROBE[0]}" || line="no answer"
  line=${line%$'\r'}
  if [ "$line" = ready ] && pid=$(unix_pid "$appwin\\sprout.exe") && server=$(wineserver_pid) \
     && t0=$(cpu_ns "$pid") && w0=$(cpu_ns "$server") && k0=$(wakeups "$pid"); then
    sleep "${2:-$cpu_seconds}"
    t1=$(cpu_ns "$pid") || t1=""
    w1=$(cpu_ns "$server") || w1=""
    k1=$(wakeups "$pid") || k1=""
    peak=$(peak_kb "$pid")
    echo go >&$probe_in
    read -r -t 60 line <&"${PROBE[0]}" || line="no answer"
    line=${line%$'\r'}
    if [ "$line" = ok ] && [ -n "$t1" ] && [ -n "$w1" ] && [ -n "$k1" ]; then
      result="$(calc "($t1 - $t0) / 1e9" 4) $(calc "($w1 - $w0) / 1e9" 4) ${peak:-0} $((k1 - k0))"
    else
      result="n/a ($line)"
    fi
  else
    result="n/a ($line)"
  fi
  exec {probe_in}>&-
  wait "$PROBE_PID" 2>/dev/null
  echo "$result"
}
engine_run() {  # <knob=value> [seconds]: cpu_run with Start pressed, the knob set for the engine only
  [ -f "$work/app/bt.exe" ] || { echo "n/a (no bt.exe)"; return; }
  local result
  result=$(export "$1"; cpu_run 1003 "${2:-}")
  case "$result" in "n/a (press had no effect)") echo "n/a (no Start)" ;; *) echo "$result" ;; esac
}
say "CPU, ${cpu_seconds} s idle window"
idle=$(cpu_run 0)
say "CPU, ${cpu_seconds} s simulated download"
busy=$(engine_run SPROUT_BT_RATE=1048576)
say "CPU, ${cpu_seconds} s engine that prints nothing"
silent=$(engine_run SPROUT_BT_HANG=1)
say "peak working set, ${flood_seconds} s flood of text without keys"
flood=$(engine_run SPROUT_BT_FLOOD=$flood_seconds "$flood_seconds")
percent() { echo "$1 ($(calc "100*$1/$cpu_seconds")%)"; }
cpu_row() {  # <measure> <busy triple> <field> <target: percent of a core, or - for none>
  local value base target="-" judged="-"
  value=$(cut -d' ' -f"$3" <<<"$2")
  base=$(cut -d' ' -f"$3" <<<"$idle")
  [ "$4" = - ] || target="< $(calc "$cpu_seconds*$4/100" 3) s ($4%)"
  case "$2$idle" in
    *n/a*) row "$1" "${2%% [0-9]*}" "${idle%% [0-9]*} idle" "-" "$target" "-" ;;
    *) [ "$4" = - ] || judged=$(verdict "$value < $cpu_seconds*$4/100")
       row "$1" "$(percent "$value")" "$(percent "$base") idle" "+$(calc "$value - $base" 3) s" "$target" "$judged" ;;
  esac
}
cpu_row "CPU over ${cpu_seconds} s download (s)" "$busy" 1 0.1
cpu_row "  same, engine prints nothing (s)" "$silent" 1 -
cpu_row "  wineserver during the download (s)" "$busy" 2 0.3
# The runner's watcher used to wake every millisecond while an engine ran.
case "$silent$idle" in
  *n/a*) na "  wake-ups, engine prints nothing" "${silent%% [0-9]*}" "-" ;;
  *) woke=$(cut -d' ' -f4 <<<"$silent"); woke_idle=$(cut -d' ' -f4 <<<"$idle")
     row "  wake-ups, engine prints nothing" "$woke" "$woke_idle idle" "+$((woke - woke_idle))" "-" "-" ;;
esac
# Against the download's own peak: a run's three worker threads cost the same either way.
case "$flood$busy" in
  *n/a*) na "peak working set in a flood (KB)" "${flood%% [0-9]*}" "<= 1.1x" ;;
  *) peak=$(cut -d' ' -f3 <<<"$flood"); peak_busy=$(cut -d' ' -f3 <<<"$busy")
     row "peak working set in a flood (KB)" "$peak" "$peak_busy download" "$(calc "$peak/$peak_busy")x" "<= 1.1x" \
         "$(verdict "$peak <= 1.1*$peak_busy")" ;;
esac
rm -rf "${work:?}/save"

# --- The torrent's file list: a torrent of one file against torrents that once took hundreds
# of megabytes and many seconds before the window showed: 1 MB of 1,000 one-byte files under a
# name of UTF-8 characters that fills it, and at the largest torrent the program reads (64 MiB),
# one of the smallest file entries there are and one of a single name.
say "file list, one file, a 1 MB torrent of a long name, 64 MiB torrents of many files and of a name"
python3 - "$work/app" <<'PY'
import sys
def s(b): return str(len(b)).encode() + b":" + b
def write(name, data): open(sys.argv[1] + "/" + name, "wb").write(data)
# The name that makes head + name + tail exactly `size` bytes, in UTF-8 characters.
def filled(head, tail, size):
    room = size - len(head) - len(tail)
    length = room - len(str(room)) - 1
    length -= len(str(length)) + 1 + length - room
    return head + s("\u957f".encode() * (length // 3) + b"x" * (length % 3)) + tail
tail = b"12:piece lengthi16384e6:pieces20:" + bytes(20) + b"ee"
cap = 64 << 20
write("one-file.torrent", b"d4:infod6:lengthi1e4:name" + s(b"one.bin") + tail)
write("long-name.torrent", filled(b"d4:infod5:filesl" + b"".join(
    b"d6:lengthi1e4:pathl" + s(b"%04d.bin" % i) + b"ee" for i in range(1000)) + b"e4:name",
    tail, 1 << 20))
entry = b"d6:lengthi0e4:pathl1:aee"
head, end = b"d4:infod5:filesl", b"e4:name4:many" + tail
write("many-files.torrent", head + entry * ((cap - len(head) - len(end)) // len(entry)) + end)
write("huge-name.torrent", filled(b"d4:infod6:lengthi1e4:name", tail, cap))
PY
# peak_at_window <torrent>: sprout.exe's peak working set (KB) once its window shows.
peak_at_window() {
  local line pid peak=""
  coproc LIST_PROBE { wine $bin/probe.exe hold 0 "$appwin\\sprout.exe" "$1" 2>/dev/null; }
  exec {list_in}>&"${LIST_PROBE[1]}"
  read -r -t 90 line <&"${LIST_PROBE[0]}" || line=""
  [ "${line%$'\r'}" = ready ] && pid=$(unix_pid "$appwin\\sprout.exe") && peak=$(peak_kb "$pid")
  echo go >&$list_in
  exec {list_in}>&-
  wait "$LIST_PROBE_PID" 2>/dev/null
  echo "$peak"
}
list_ms() { for _ in $(seq 5); do startup sprout.exe "$1"; done | grep -E '^[0-9.]+$' | median; }
ms_one=$(list_ms one-file.torrent)
peak_one=$(peak_at_window one-file.torrent)
# list_rows <torrent> <what>: its time to the window and its peak at the window, against one file.
list_rows() {
  local ms peak
  ms=$(list_ms "$1")
  if [ -n "$ms_one" ] && [ -n "$ms" ]; then
    row "start-up, $2 (ms)" "$ms" "$ms_one one file" "$(awk "BEGIN { printf \"%+.1f\", $ms - $ms_one }")" \
        "< 1000 ms" "$(verdict "$ms < 1000")"
  else
    na "start-up, $2 (ms)" "n/a (dialog not seen)" "< 1000 ms"
  fi
  peak=$(peak_at_window "$1")
  if [ -n "$peak_one" ] && [ -n "$peak" ]; then
    row "peak working set, same, at the window (KB)" "$peak" "$peak_one one file" "$(printf %+d $((peak - peak_one)))" \
        "< +65536" "$(verdict "$peak - $peak_one < 65536")"
  else
    na "peak working set, same, at the window (KB)" "n/a (dialog not seen)" "< +65536"
  fi
}
list_rows long-name.torrent "1 MB torrent of a long name"
list_rows many-files.torrent "64 MiB torrent of 2.8 million files"
list_rows huge-name.torrent "64 MiB torrent of one name"

# --- Stop durations
say "Stop"
stop_cases=("idle:Stop, idle runner (s)" "running:Stop, silent running engine (s)"
            "ticking:Stop, engine printing each second (s)" "held:Stop, grandchild holds the pipes (s)")
stops=""
[ -f $bin/stop_bench.exe ] && stops=$(wine $bin/stop_bench.exe </dev/null 2>/dev/null | tr -d '\r')
for c in "${stop_cases[@]}"; do
  seconds=$(awk -v k="${c%%:*}" '$1 == k && $2 ~ /^[0-9.]+$/ { print $2 }' <<<"$stops")
  if [ -n "$seconds" ]; then
    row "${c#*:}" "$seconds" "0.800 .. 4.800" "-" "0.8 .. 4.8 s" "$(verdict "$seconds >= 0.8 && $seconds <= 4.8")"
  elif [ -f $bin/stop_bench.exe ]; then
    na "${c#*:}" "n/a (case did not run)" "0.8 .. 4.8 s"
  else
    na "${c#*:}" "n/a (not built)" "0.8 .. 4.8 s"
  fi
done

# --- Parser against memchr, from the Google Benchmark binary's CSV
say "parser"
# The CSV report takes only the counters of its first benchmark: one run per set of counters.
parser_bench() { build/bench/tests/status/status_parser_bench --benchmark_format=csv --benchmark_filter="$1" 2>/dev/null; }
csv=$(parser_bench '^(StatusBlocks|Flood(Without|GateShut)|MemchrFloor|KeepOnlyFloor)')
csv_calls=$(parser_bench '^CallWithPendingText')
# Without glibc's per-thread cache, whose freed blocks count as in use, for a heap figure that
# holds only what the parser holds.
csv_heap=$(GLIBC_TUNABLES=glibc.malloc.tcache_count=0 parser_bench '^FloodPeakHeap')
field() {  # benchmark column [csv] -> value in ns (seconds times 1e9)
  awk -F, -v b="\"$1\"" -v c="$2" '
    NR == 1 { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); col[$i] = i } next }
    $1 == b { printf "%.4f", $col[c] * 1e9 }' <<<"${3:-$csv}"
}
per_block=$(field StatusBlocks time_per_block)
per_block_m=$(field MemchrFloor/blocks time_per_block)
row "parser per status block (ns)" "$(calc "$per_block" 1)" "$(calc "$per_block_m" 2) memchr" \
    "$(calc "$per_block/$per_block_m" 0)x" "-" "-"
for c in "StatusBlocks:blocks:parser per byte, status blocks (ns)" \
         "FloodWithoutGate:flood:parser per byte, flood (ns)" \
         "FloodGateShutAtIndexZero:flood:parser per byte, flood, gate shut (ns)"; do
  name=${c%%:*}; rest=${c#*:}
  mine=$(field "$name" time_per_byte)
  floor=$(field "MemchrFloor/${rest%%:*}" time_per_byte)
  row "${rest#*:}" "$(calc "$mine" 3)" "$(calc "$floor" 4) memchr" "$(calc "$mine/$floor" 0)x" "<= 10x" \
      "$(verdict "$mine <= 10*$floor")"
done
# What merely taking and holding the chunks costs: the floor under any parser that keeps the text.
for c in "blocks:  keeping the chunks alone, status blocks (ns)" "flood:  keeping the chunks alone, flood (ns)"; do
  keep=$(field "KeepOnlyFloor/${c%%:*}" time_per_byte)
  floor=$(field "MemchrFloor/${c%%:*}" time_per_byte)
  row "${c#*:}" "$(calc "$keep" 3)" "$(calc "$floor" 4) memchr" "$(calc "$keep/$floor" 0)x" "-" "-"
done
call_8k=$(field "CallWithPendingText<TestParser>/8192" time_per_call "$csv_calls")
call_1k=$(field "CallWithPendingText<TestParser>/1024" time_per_call "$csv_calls")
row "parser per 256-byte call, 8 KB pending (ns)" "$(calc "$call_8k" 0)" "$(calc "$call_1k" 0) at 1 KB" \
    "$(calc "$call_8k/$call_1k")x" "<= 1.5x" "$(verdict "$call_8k <= 1.5*$call_1k")"
ref_8k=$(field "CallWithPendingText<ReferenceStatusParser>/8192" time_per_call "$csv_calls")
ref_1k=$(field "CallWithPendingText<ReferenceStatusParser>/1024" time_per_call "$csv_calls")
row "  reference parser, same (ns)" "$(calc "$ref_8k" 0)" "$(calc "$ref_1k" 0) at 1 KB" \
    "$(calc "$ref_8k/$ref_1k")x" "-" "-"
heap=$(field "FloodPeakHeap<StatusParser>/iterations:3" peak_heap_bytes "$csv_heap")
heap_ref=$(field "FloodPeakHeap<ReferenceStatusParser>/iterations:3" peak_heap_bytes "$csv_heap")
row "parser peak heap in a flood (bytes)" "$(calc "$heap/1e9" 0)" "$(calc "$heap_ref/1e9" 0) reference" \
    "$(calc "$heap/$heap_ref")x" "<= 1x" "$(verdict "$heap <= $heap_ref")"

# --- The real engine: loopback downloads next to a Linux client's from the same seeders, size,
# imports
say "real engine"
if [ -f "$bin/engine/bt.exe" ]; then
  while IFS= read -r line; do
    rows+=("$line")
  done < <("$repo/scripts/bench-swarm.sh" "$SPROUT_FLAVOUR" "$bin")
  dll_r=$(imports "$bin/engine/bt.exe")
  row "bt.exe size, stripped (bytes)" "$(stat -c %s "$bin/engine/bt.exe")" "-" "-" "-" "-"
  row "bt.exe imported DLLs" "$(wc -l <<<"$dll_r") ($(tr '\n' ' ' <<<"$dll_r" | sed 's/ $//'))" "-" "-" "-" "-"
else
  na "loopback downloads, bt.exe (MiB/s)" "n/a (bt.exe not built)" ">= 0.5x"
fi

# --- the table
echo "flavour: $SPROUT_FLAVOUR ($SPROUT_TRIPLE, $(wine --version 2>/dev/null))"
{
  printf 'measure\tsprout.exe\tbaseline\tratio\ttarget\tverdict\t\n'
  printf '%s\n' "${rows[@]}"
} | awk -F'\t' '
  { for (i = 1; i < NF; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } cols[NR] = NF - 1 }
  END { for (r = 1; r <= NR; r++) { line = ""
          for (i = 1; i <= cols[r]; i++) line = line sprintf(i < cols[r] ? "%-" width[i] "s  " : "%s", cell[r, i])
          print line } }'
echo "baselines: bare_dialog.exe (same dialog template, same toolchain and flags) for size and"
echo "start-up (median of $startup_runs runs under Wine); an idle sprout.exe window over the same"
echo "${cpu_seconds} s for CPU (the simulated bt.exe at 1 MB/s, one status block per second); the"
echo "runner's own bounds for Stop; memchr over the same bytes, in the same run, for the parser"
echo "(and, as a second floor, only appending the same chunks to a text held to the same bound);"
echo "the parser itself with 1 KB pending for its cost per call, and the reference parser (the"
echo "first one, kept in the tests) for its heap; the 30 s download for the peak working set;"
echo "a torrent of one file for the 1 MB torrent's time to the window (median of 5) and peak"
echo "working set (read from /proc once the window shows);"
echo "aria2c (Linux) fetching the same torrent from the same loopback seeder (aria2, Transmission,"
echo "rTorrent) right after bt.exe (under Wine, its start-up included) for the real engine's rate."
