#!/usr/bin/env bash
# Makes, once per machine, the WoW64 Wine root: a minimal Debian unstable (amd64) holding its
# Wine, which is built 64-bit only and runs 32-bit Windows programs itself, with no i386 Linux
# libraries at all. It is kept in the machine's cache (scripts/cache.sh) so that every clone
# and CI run reuse it. Only Wine runs inside it (scripts/wine-wow64); the tests' own tools
# (Xvfb, xdotool, aria2, ...) stay on the host, and so do the files, through bind mounts.
# The root is made aside and renamed into place when complete: a root cut short is never used.
# Prints the root's path; on failure, one line saying why on standard error and exit 1.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/cache.sh"
root="$SPROUT_CACHE/wow64-root"
mirror=${SPROUT_WOW64_MIRROR:-http://deb.debian.org/debian}
packages="wine wine64 fonts-wqy-microhei locales"
# What the root was made from: a root with another stamp is made again.
stamp_text="sid amd64 minbase $mirror $packages zh_CN.UTF-8"
log="$SPROUT_CACHE/wow64-root.log"

complete() { [ -f "$root/.sprout-stamp" ] && [ "$(cat "$root/.sprout-stamp")" = "$stamp_text" ]; }
fail() { echo "setup: no WoW64 Wine root: $*" >&2; exit 1; }

[ "$(id -u)" = 0 ] || fail "making and entering it needs root"

# Wine runs in a mount namespace of its own per call (scripts/wine-wow64), the prefix's one
# wineserver in the first. A file system that a test mounts under /tmp later must reach those
# namespaces too, or the server would create files beneath it: /tmp becomes a shared mount,
# whose later mounts reach the namespaces made as its slaves.
if [ "$(findmnt -n -o PROPAGATION --target /tmp)" != shared ]; then
  { mountpoint -q /tmp || mount --bind /tmp /tmp; } && mount --make-shared /tmp \
    || fail "cannot make /tmp a shared mount"
fi

# One maker at a time: another clone making it waits here, then finds it complete.
exec 9>"$root.lock"
timeout 1800 flock 9 || fail "another set-up has been making it for 30 minutes"
if complete; then
  echo "$root"
  exit 0
fi

# A folder that something is still mounted on is never deleted: rm would reach the host's files.
remove_tree() {
  [ -e "$1" ] || return 0
  if awk -v d="$1" 'index($2, d) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
    fail "cannot remove $1: something is mounted inside it"
  fi
  rm -rf "$1"
}
work="$root.part"
remove_tree "$work"
start=$(date +%s)
: >"$log"
echo "Making the WoW64 Wine root in $root (once per machine; a few minutes)..." >&2

command -v debootstrap >/dev/null 2>&1 \
  || DEBIAN_FRONTEND=noninteractive timeout 600 apt-get -o DPkg::Lock::Timeout=300 install -y --no-install-recommends debootstrap >>"$log" 2>&1 \
  || fail "cannot install debootstrap (details in $log)"
timeout 1200 debootstrap --variant=minbase --arch=amd64 sid "$work" "$mirror" >>"$log" 2>&1 \
  || fail "debootstrap of Debian unstable failed: $(grep -E '^(E|W):' "$log" | tail -n 1) (details in $log)"

# The mirror may serve lists whose validity date has passed (a fixed snapshot): take them.
echo 'Acquire::Check-Valid-Until "false";' >"$work/etc/apt/apt.conf.d/90sprout"
cp /etc/resolv.conf "$work/etc/resolv.conf" 2>/dev/null || true
inside() {  # runs a command inside the root being made, with /proc, /sys and /dev bound
  timeout "$1" "$here/wine-wow64" --root "$work" -- "${@:2}" >>"$log" 2>&1
}
inside 600 apt-get update \
  || fail "apt-get update in the WoW64 root failed: $(grep -E '^(E|W):' "$log" | tail -n 1) (details in $log)"
# shellcheck disable=SC2086
inside 1800 env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $packages \
  || fail "cannot install Wine in the WoW64 root: $(grep -E '^E:' "$log" | tail -n 1) (details in $log)"
echo 'zh_CN.UTF-8 UTF-8' >"$work/etc/locale.gen"
inside 300 locale-gen || fail "cannot make the zh_CN.UTF-8 locale in the WoW64 root (details in $log)"
inside 300 apt-get clean || true

echo "$stamp_text" >"$work/.sprout-stamp"
remove_tree "$root"
mv "$work" "$root"
echo "Made the WoW64 Wine root in $(( $(date +%s) - start )) s: $(du -sh "$root" | cut -f1)" >&2
echo "$root"
