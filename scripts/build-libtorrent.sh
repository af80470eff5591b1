#!/usr/bin/env bash
# Cross-builds libtorrent-rasterbar (Debian's source package) as a static library for one Windows
# flavour, for the real engine bt.exe: build/libtorrent-<flavour>/install. Encryption with the
# library's own RC4/DH and Windows' hashes (no OpenSSL), Boost from the system's headers. A stamp
# of version and flags lets a second run reuse the build. Usage: build-libtorrent.sh [win32|win64]
set -euo pipefail
[ $# -ge 1 ] && export SPROUT_FLAVOUR=$1
. "$(dirname "$0")/flavour.sh"
repo=$sprout_repo
jobs=${SPROUT_JOBS:-2}
version=2.0.8
src_root="$repo/build/src"
src="$src_root/libtorrent-rasterbar-$version"
out="$repo/build/libtorrent-$SPROUT_FLAVOUR"
prefix="$out/install"
boost="$repo/build/boost-include"

# Asio's I/O completion ports garble socket data under Wine; the program uses the same define.
# btengine/CMakeLists.txt repeats the public definitions that these options give.
cxxflags="-O2 -DNDEBUG -DBOOST_ASIO_DISABLE_IOCP"
options="-DBUILD_SHARED_LIBS=OFF -Dstatic_runtime=ON -Dencryption=ON -Ddeprecated-functions=OFF
 -Di2p=OFF -Dlogging=OFF -DCMAKE_DISABLE_FIND_PACKAGE_OpenSSL=ON -DCMAKE_DISABLE_FIND_PACKAGE_GnuTLS=ON
 -DCMAKE_DISABLE_FIND_PACKAGE_LibGcrypt=ON"
stamp_text="$version $SPROUT_TRIPLE $($SPROUT_TRIPLE-g++-posix -dumpfullversion) $cxxflags $options"
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp_text" ] \
   && [ -f "$prefix/lib/libtorrent-rasterbar.a" ]; then
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

# Boost is header-only here; a folder holding only the headers keeps the cross build from
# picking up the host's libraries and CMake files.
mkdir -p "$boost"
[ -e "$boost/boost" ] || ln -s /usr/include/boost "$boost/boost"

start=$(date +%s)
rm -rf "$out"; mkdir -p "$out"
# shellcheck disable=SC2086
cmake -S "$src" -B "$out/build" -G "Unix Makefiles" \
  -DCMAKE_SYSTEM_NAME=Windows \
  -DCMAKE_C_COMPILER="$SPROUT_TRIPLE-gcc-posix" -DCMAKE_CXX_COMPILER="$SPROUT_TRIPLE-g++-posix" \
  -DCMAKE_RC_COMPILER="$SPROUT_TRIPLE-windres" \
  -DCMAKE_FIND_ROOT_PATH="/usr/$SPROUT_TRIPLE;$boost" \
  -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
  -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY \
  -DBoost_NO_BOOST_CMAKE=ON -DBoost_INCLUDE_DIR="$boost" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="$cxxflags" -DCMAKE_CXX_STANDARD=17 \
  -DCMAKE_INSTALL_PREFIX="$prefix" $options >"$out/configure.log" 2>&1 \
  || { tail -n 30 "$out/configure.log" >&2; exit 1; }
cmake --build "$out/build" -j"$jobs" >"$out/build.log" 2>&1 \
  || { grep -E -A5 'error' "$out/build.log" | head -n 40 >&2; exit 1; }
cmake --install "$out/build" >"$out/install.log" 2>&1
echo "$stamp_text" >"$out/stamp"
echo "libtorrent $version for $SPROUT_FLAVOUR: built in $(( $(date +%s) - start )) s into $prefix"
