#!/usr/bin/env bash
# Cross-builds libtorrent-rasterbar (Debian's source package) as a static library for one Windows
# flavour, for the real engine bt.exe. Encryption with the library's own RC4/DH and Windows'
# hashes (no OpenSSL), Boost from the system's headers. The build is kept outside the clone, in
# the machine's cache (scripts/cache.sh), under a key made of the version, the compiler and the
# flags, so a fresh clone on a machine that built it once reuses it; build/libtorrent-<flavour>
# links to it. Usage: build-libtorrent.sh [win32|win64]
set -euo pipefail
[ $# -ge 1 ] && export SPROUT_FLAVOUR=$1
. "$(dirname "$0")/flavour.sh"
. "$(dirname "$0")/cache.sh"
repo=$sprout_repo
jobs=${SPROUT_JOBS:-2}
version=2.0.8
src_root="$SPROUT_CACHE/src"
src="$src_root/libtorrent-rasterbar-$version"
boost="$repo/build/boost-include"

# Asio's I/O completion ports garble socket data under Wine; the program uses the same define.
# btengine/CMakeLists.txt repeats the public definitions that these options give.
cxxflags="-O2 -DNDEBUG -DBOOST_ASIO_DISABLE_IOCP"
options="-DBUILD_SHARED_LIBS=OFF -Dstatic_runtime=ON -Dencryption=ON -Ddeprecated-functions=OFF
 -Di2p=OFF -Dlogging=OFF -DCMAKE_DISABLE_FIND_PACKAGE_OpenSSL=ON -DCMAKE_DISABLE_FIND_PACKAGE_GnuTLS=ON
 -DCMAKE_DISABLE_FIND_PACKAGE_LibGcrypt=ON"
stamp_text="$version $SPROUT_TRIPLE $($SPROUT_TRIPLE-g++-posix -dumpfullversion) $cxxflags $options"
key=$(printf '%s' "$stamp_text" | sha256sum | cut -c1-16)
out="$SPROUT_CACHE/libtorrent/$SPROUT_FLAVOUR-$key"
prefix="$out/install"
link="$repo/build/libtorrent-$SPROUT_FLAVOUR"
mkdir -p "$SPROUT_CACHE/libtorrent" "$repo/build"
# Boost is header-only here; a folder holding only the headers keeps the cross build from
# picking up the host's libraries and CMake files.
mkdir -p "$boost"
[ -e "$boost/boost" ] || ln -s /usr/include/boost "$boost/boost"

# An older clone kept the build in build/ itself; the link takes its place.
[ -L "$link" ] || rm -rf "$link"
ready() { [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp_text" ] && [ -f "$prefix/lib/libtorrent-rasterbar.a" ]; }
# One build per key at a time: a second clone building the same waits and then finds it ready.
exec 9>"$out.lock"
flock 9
if ready; then
  ln -sfn "$out" "$link"
  echo "libtorrent $version for $SPROUT_FLAVOUR: up to date in $prefix"
  exit 0
fi

if [ ! -f "$src/CMakeLists.txt" ]; then
  # Debian's source package: needs a deb-src line for bookworm, added here when apt has none.
  # apt-get update may fail on a list of another suite that is mid-sync; only the source
  # index matters here.
  if ! apt-cache showsrc libtorrent-rasterbar 2>/dev/null | grep -qx "Version: $version-1"; then
    sudo=""
    [ "$(id -u)" = 0 ] || sudo=sudo
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      | $sudo tee /etc/apt/sources.list.d/sprout-deb-src.sources >/dev/null
    $sudo timeout 600 apt-get update >/dev/null 2>&1 || true
  fi
  mkdir -p "$src_root"
  (cd "$src_root" && timeout 600 apt-get source "libtorrent-rasterbar=$version-1") >"$src_root/apt-source.log" 2>&1 \
    || { tail -n 5 "$src_root/apt-source.log" >&2; echo "could not fetch the source of libtorrent-rasterbar $version" >&2; exit 1; }
fi

start=$(date +%s)
# Built aside and moved into place at the end, so a build cut short is never taken for one.
work="$out.part"
rm -rf "$out" "$work"; mkdir -p "$work"
# shellcheck disable=SC2086
cmake -S "$src" -B "$work/build" -G "Unix Makefiles" \
  -DCMAKE_SYSTEM_NAME=Windows \
  -DCMAKE_C_COMPILER="$SPROUT_TRIPLE-gcc-posix" -DCMAKE_CXX_COMPILER="$SPROUT_TRIPLE-g++-posix" \
  -DCMAKE_RC_COMPILER="$SPROUT_TRIPLE-windres" \
  -DCMAKE_FIND_ROOT_PATH="/usr/$SPROUT_TRIPLE;$boost" \
  -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
  -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY \
  -DBoost_NO_BOOST_CMAKE=ON -DBoost_INCLUDE_DIR="$boost" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="$cxxflags" -DCMAKE_CXX_STANDARD=17 \
  -DCMAKE_INSTALL_PREFIX="$prefix" $options >"$work/configure.log" 2>&1 \
  || { tail -n 30 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 \
  || { grep -E -A5 'error' "$work/build.log" | head -n 40 >&2; exit 1; }
cmake --install "$work/build" --prefix "$work/install" >"$work/install.log" 2>&1
# The build tree is not needed once installed: only the library and its headers are kept.
rm -rf "$work/build"
echo "$stamp_text" >"$work/stamp"
# The library's install writes its pkg-config file into the configured prefix, inside $out:
# cleared, or the move would put the build inside that folder instead of in its place.
rm -rf "$out"
mv "$work" "$out"
ln -sfn "$out" "$link"
echo "libtorrent $version for $SPROUT_FLAVOUR: built in $(( $(date +%s) - start )) s into $prefix"
