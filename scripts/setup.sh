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

# Refreshes the package lists until the wanted packages resolve. A mirror that is briefly
# inconsistent ("Mirror sync in progress?") fails one list; try again a few times, then go on
# with what there is.
refresh_lists() {
  local attempt
  for attempt in 1 2 3; do
    if apt_get update -q >>"$log" 2>&1; then
      return 0
    fi
    resolvable "$@" && return 0
    [ "$attempt" = 3 ] || { echo "setup: package lists incomplete (mirror syncing?), retrying in 10 s" >&2; sleep 10; }
  done
  return 1
}

# One line naming the first package that cannot be resolved, and why.
explain_unresolvable() {
  local p reason list
  list=$(grep -oE 'Failed to fetch [^ ]+' "$log" | tail -n 1 | sed 's/Failed to fetch //')
  for p in "$@"; do
    if ! apt-get install -s -y --no-install-recommends "$p" >/dev/null 2>&1; then
      reason="its dependencies cannot be resolved"
      [ -n "$list" ] && reason="$reason while the list $list cannot be fetched (mirror syncing?)"
      echo "cannot install $p: $reason (details in $log)"
      return
    fi
  done
  echo "cannot install $* (details in $log)"
}

drop_unused_i386() {
  if dpkg --print-foreign-architectures | grep -qx i386 && ! dpkg -l | awk '$1 == "ii" && $2 ~ /:i386$/' | grep -q .; then
    $sudo dpkg --remove-architecture i386 >>"$log" 2>&1 || true
  fi
}

# --- which flavour
forced=${SPROUT_FLAVOUR:-}
case "$forced" in
  ""|win32|win64) ;;
  *) die "SPROUT_FLAVOUR must be win32 or win64, not '$forced'" ;;
esac
if kernel_runs_32bit; then can32=1; else can32=0; fi
if [ -n "$forced" ]; then
  flavour=$forced
  [ "$flavour" = win64 ] || [ "$can32" = 1 ] || die "win32 was asked for, but this machine's kernel runs no 32-bit x86 code; use SPROUT_FLAVOUR=win64"
  why="forced by SPROUT_FLAVOUR"
elif [ "$can32" = 1 ]; then
  flavour=win32; why="the kernel runs 32-bit code"
else
  flavour=win64; why="the kernel runs no 32-bit code"
fi

# --- packages
wanted=("${common[@]}")
[ "$flavour" = win32 ] && wanted+=("${win32_only[@]}")
mapfile -t missing < <(missing_of "${wanted[@]}")
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$flavour" = win32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  refresh_lists "${missing[@]}" || true
  if ! resolvable "${missing[@]}" && [ "$flavour" = win32 ] && [ -z "$forced" ]; then
    # The 32-bit Wine needs i386 libraries of exactly the amd64 versions; while the mirror
    # serves incomplete i386 lists that cannot be met, but the 64-bit flavour can still be tested.
    echo "setup: $(explain_unresolvable "${win32_only[@]}"); testing the win64 flavour instead" >&2
    flavour=win64; why="32-bit Wine cannot be installed from the mirror now"
    drop_unused_i386
    mapfile -t missing < <(missing_of "${common[@]}")
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    resolvable "${missing[@]}" || die "$(explain_unresolvable "${missing[@]}")"
    apt_get install -y --no-install-recommends "${missing[@]}" >>"$log" 2>&1 \
      || die "apt-get install failed: $(grep -E '^E:' "$log" | tail -n 1) (full log: $log)"
  fi
fi
[ "$flavour" = win64 ] && drop_unused_i386

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

echo "$flavour" >"$here/build/flavour"
echo "setup: Windows tests run in the $flavour flavour ($why)" >&2
SPROUT_FLAVOUR=$flavour "$here/scripts/wine-prefix.sh"
