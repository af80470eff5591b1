#!/usr/bin/env bash
# Packs a torrent of two files with a label, a tooltip, two addresses and a PNG logo, unpacks
# the zip into a fresh folder as Chinese Windows does (its names in GBK), and runs
# package_window_test.exe on it under Wine. The addresses are copies of marker.exe, which
# leave a file behind when opened. The package is of the flavour under test.
# Usage: package_test.sh FLAVOUR BIN-DIR (exit 77: skipped)
set -euo pipefail
flavour=$1
bin=$2
repo=$(cd "$(dirname "$0")/../.." && pwd)
if [ ! -f "$bin/engine/bt.exe" ]; then
  echo "skipped: the real engine was not built (scripts/build-libtorrent.sh $flavour)"
  exit 77
fi
if ! [ "$bin" -ef "$repo/build/$flavour/bin" ]; then
  echo "skipped: package.sh packs build/$flavour, not this build"
  exit 77
fi
export SPROUT_FLAVOUR=$flavour
. "$repo/scripts/wine-env.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

mkdir -p "$tmp/payload/示例专辑"
head -c 300000 /dev/urandom >"$tmp/payload/示例专辑/01 晨光.flac"
head -c 2000 /dev/urandom >"$tmp/payload/示例专辑/cover.jpg"
mktorrent -l 18 -a http://tracker.example.com/announce -o "$tmp/示例专辑.torrent" \
  "$tmp/payload/示例专辑" >/dev/null
convert -size 96x64 xc:none -fill '#2e7d32' -draw 'circle 48,32 48,4' \
  -fill '#a5d6a7' -draw 'circle 48,32 48,18' "$tmp/logo.png"
cp "$bin/marker.exe" "$tmp/forum.exe"
cp "$bin/marker.exe" "$tmp/link.exe"

export PACKAGE_FORUM PACKAGE_LINK PACKAGE_LABEL PACKAGE_TIP PACKAGE_TITLE PACKAGE_TORRENT \
  PACKAGE_FILES PACKAGE_FOLDER
PACKAGE_FORUM=$(winepath -w "$tmp/forum.exe")
PACKAGE_LINK=$(winepath -w "$tmp/link.exe")
PACKAGE_LABEL="欢迎光临示例专辑！点击这里，免费试听全部曲目"
PACKAGE_TIP="  示例专辑的主页 \"Sprout\"  "
PACKAGE_TITLE=示例专辑
PACKAGE_TORRENT=示例专辑.torrent
PACKAGE_FILES='示例专辑\01 晨光.flac|示例专辑\cover.jpg'
"$repo/scripts/package.sh" "$tmp/示例专辑.torrent" --forum "$PACKAGE_FORUM" \
  --link-text "$PACKAGE_LABEL" --link-tip "$PACKAGE_TIP" --link-url "$PACKAGE_LINK" \
  --logo "$tmp/logo.png" --out "$tmp/dist" --flavour "$flavour"

mkdir "$tmp/unpacked"
(cd "$tmp/unpacked" && unzip -q "$tmp/dist/示例专辑.zip")
# The names, deepest first, from GBK to this file system's UTF-8.
find "$tmp/unpacked" -mindepth 1 -depth | while IFS= read -r path; do
  name=$(basename "$path")
  utf8=$(printf '%s' "$name" | iconv -f CP936 -t UTF-8)
  [ "$utf8" = "$name" ] || mv "$path" "$(dirname "$path")/$utf8"
done
PACKAGE_FOLDER="$(winepath -w "$tmp/unpacked/示例专辑")\\"
"$repo/scripts/wine-run" "$flavour" "$bin/package_window_test.exe" --gtest_brief=1
