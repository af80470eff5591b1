#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a Debian 12 machine,
# then makes the project's own Wine prefix. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake make g++ clang libgtest-dev googletest libbenchmark-dev
  mingw-w64 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 wine64 xvfb x11-utils xdotool imagemagick
  locales fonts-wqy-microhei mktorrent
)

sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  $sudo apt-get update
fi
missing=()
reinstall=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A package can be installed yet have lost a file; the tools the build calls must be there.
for tool in i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix i686-w64-mingw32-ar:binutils-mingw-w64-i686 \
            i686-w64-mingw32-windres:binutils-mingw-w64-i686 wine:wine Xvfb:xvfb; do
  command -v "${tool%%:*}" >/dev/null 2>&1 || reinstall+=("${tool#*:}")
done
if [ ${#reinstall[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --reinstall --no-install-recommends "${reinstall[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  $sudo sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen
fi

"$here/scripts/wine-prefix.sh"
