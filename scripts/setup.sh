#!/usr/bin/env bash
# Installs everything the builds, the tests and the demo need on a Debian 12 machine, decides
# which Windows flavour this machine tests (build/flavour), then makes that flavour's Wine
# prefix. Safe to run again; every network step is bounded in time.
#
# Flavours: win32 is the product and is tested where the kernel runs 32-bit x86 code; elsewhere
# only 64-bit Windows programs run under Wine, so win64 is tested. SPROUT_FLAVOUR forces one.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$here/build"
log="$here/build/setup.log"
: >"$log"

common=(
  cmake make g++ clang libgtest-dev googletest libbenchmark-dev
  mingw-w64 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb x11-utils xdotool imagemagick
  locales fonts-wqy-microhei mktorrent zip unzip
  libboost-dev dpkg-dev aria2 opentracker curl
  transmission-daemon transmission-cli rtorrent iproute2
  e2fsprogs
)
win32_only=(wine32:i386)

sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
# apt's messages in English whatever the caller's locale: the one-line reasons are read from them.
export LC_ALL=C
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo timeout 1800 apt-get -o DPkg::Lock::Timeout=300 "$@"; }
die() { echo "setup: $*" >&2; exit 1; }

# A 96-byte i386 Linux program that exits with 42 through int 0x80: ELF header, one loadable
# segment, then mov eax,1 / mov ebx,42 / int 0x80. A kernel without 32-bit support refuses to
# load it ("Exec format error") or faults at its first instruction.
kernel_runs_32bit() {
  local probe="$here/build/probe-i386"
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' >>"$probe"
  printf '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00' >>"$probe"
  printf '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$probe"
  chmod +x "$probe"
  local status=0
  timeout 10 "$probe" >/dev/null 2>&1 || status=$?
  rm -f "$probe"
  [ "$status" = 42 ]
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
missing_of() {
  local p
  for p in "$@"; do installed "$p" || echo "$p"; done
}
# apt can resolve these packages from the lists it has now.
resolvable() { apt-get install -s -y --no-install-recommends "$@" >>"$log" 2>&1; }

# Refreshes the package lists, once per run: a list the mirror cannot serve now is not retried,
# its packages are then missing and the caller says so in one line.
lists_refreshed=0
refresh_lists() {
  [ "$lists_refreshed" = 1 ] && return 0
  lists_refreshed=1
  apt_get update -q >>"$log" 2>&1
}

# Why the last refresh failed, from apt's messages: a list that does not match its Release
# file (apt: "File has unexpected size", "Hash Sum mismatch") is a stale copy on the mirror.
failed_list() {
  local line url
  line=$(grep -E '^E: Failed to fetch ' "$log" | tail -n 1)
  [ -n "$line" ] || return 1
  url=$(sed -E 's/^E: Failed to fetch ([^ ]+).*/\1/' <<<"$line")
  case "$line" in
    *"unexpected size"*|*"Hash Sum mismatch"*|*"Hashes of expected file"*)
      echo "the mirror's list $url does not match its Release file (the mirror serves a stale copy)" ;;
    *) echo "the mirror's list $url cannot be fetched" ;;
  esac
}

# One line naming the first package that cannot be resolved, and why.
explain_unresolvable() {
  local p reason list
  list=$(failed_list) || list=""
  for p in "$@"; do
    if ! apt-get install -s -y --no-install-recommends "$p" >/dev/null 2>&1; then
      reason="its dependencies cannot be resolved"
      [ -n "$list" ] && reason="$reason: $list"
      echo "cannot install $p: $reason (details in $log)"
      return
    fi
  done
  echo "cannot install $* (details in $log)"
}

install_missing() {  # packages...: installs those not installed yet, or dies saying why
  local missing
  mapfile -t missing < <(missing_of "$@")
  [ ${#missing[@]} -gt 0 ] || return 0
  resolvable "${missing[@]}" || refresh_lists || true
  resolvable "${missing[@]}" || die "$(explain_unresolvable "${missing[@]}")"
  apt_get install -y --no-install-recommends "${missing[@]}" >>"$log" 2>&1 \
    || die "apt-get install failed: $(grep -E '^E:' "$log" | tail -n 1) (full log: $log)"
}

# The system's 32-bit Wine: installed, or installed now. It needs i386 libraries of exactly
# the amd64 versions installed; a mirror serving a stale i386 list cannot meet that.
system_wine32() {
  missing_of "${win32_only[@]}" | grep -q . || return 0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    lists_refreshed=0
  fi
  refresh_lists || true
  if ! resolvable "${win32_only[@]}"; then
    echo "setup: $(explain_unresolvable "${win32_only[@]}")" >&2
    return 1
  fi
  apt_get install -y --no-install-recommends "${win32_only[@]}" >>"$log" 2>&1 \
    || { echo "setup: apt-get install of ${win32_only[*]} failed: $(grep -E '^E:' "$log" | tail -n 1)" >&2; return 1; }
}

drop_unused_i386() {
  if dpkg --print-foreign-architectures | grep -qx i386 && ! dpkg -l | awk '$1 == "ii" && $2 ~ /:i386$/' | grep -q .; then
    $sudo dpkg --remove-architecture i386 >>"$log" 2>&1 || true
  fi
}

# --- packages, and which flavour runs under which Wine (scripts/wine-choice.sh)
forced_flavour=${SPROUT_FLAVOUR:-}
forced_wine=${SPROUT_WINE:-}
case "$forced_flavour" in
  ""|win32|win64) ;;
  *) die "SPROUT_FLAVOUR must be win32 or win64, not '$forced_flavour'" ;;
esac
case "$forced_wine" in
  ""|system|wow64) ;;
  *) die "SPROUT_WINE must be system or wow64, not '$forced_wine'" ;;
esac
. "$here/scripts/wine-choice.sh"
if kernel_runs_32bit; then kernel32=1; else kernel32=0; fi

install_missing "${common[@]}"

system32=0
if [ "$kernel32" = 1 ] && [ "$forced_wine" != wow64 ] && [ "$forced_flavour" != win64 ]; then
  system_wine32 && system32=1
fi
runs=$(sprout_wine_runs "$forced_wine" "$forced_flavour" "$kernel32" "$system32" "") || die "$runs"
if grep -q ' wow64$' <<<"$runs"; then
  if "$here/scripts/wine-wow64-root.sh" >/dev/null; then
    runs=$(sprout_wine_runs "$forced_wine" "$forced_flavour" "$kernel32" "$system32" 1) || die "$runs"
  else
    runs=$(sprout_wine_runs "$forced_wine" "$forced_flavour" "$kernel32" "$system32" 0) || die "$runs"
    echo "setup: without the WoW64 Wine, $(paste -sd ' ' <<<"$runs" | sed 's/ system$//') is tested with the system's Wine" >&2
  fi
fi
grep -q '^win32 system$' <<<"$runs" || drop_unused_i386

# A package can be installed yet have lost a file; the tools the build calls must be there.
reinstall=()
for tool in i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix i686-w64-mingw32-windres:binutils-mingw-w64-i686 \
            x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64 \
            wine:wine Xvfb:xvfb; do
  command -v "${tool%%:*}" >/dev/null 2>&1 || reinstall+=("${tool#*:}")
done
if [ ${#reinstall[@]} -gt 0 ]; then
  apt_get install -y --reinstall --no-install-recommends "${reinstall[@]}" >>"$log" 2>&1 \
    || die "could not reinstall ${reinstall[*]} (full log: $log)"
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  $sudo sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >>"$log" 2>&1
fi

echo "$runs" >"$here/build/wine-runs"
head -n 1 <<<"$runs" | cut -d' ' -f1 >"$here/build/flavour"
described=$(while read -r flavour wine; do
  case "$wine" in wow64) echo "$flavour under the WoW64 Wine" ;; *) echo "$flavour under the system's Wine" ;; esac
done <<<"$runs" | paste -sd ',' | sed 's/,/, /g')
echo "setup: Windows tests run $described" >&2
while read -r flavour wine; do
  SPROUT_FLAVOUR=$flavour SPROUT_WINE=$wine "$here/scripts/wine-prefix.sh"
done <<<"$runs"
