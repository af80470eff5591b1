#!/usr/bin/env bash
# Packs what a distributor ships beside a torrent: OUT/<name>/ with sprout.exe, the real engine
# bt.exe, the torrent, info.pyd (the texts in GBK) and logo.bmp, and OUT/<name>.zip of that
# folder, <name> being the torrent's file name without ".torrent". Builds the programs first if
# needed. Bad input gets one line on standard error and exit code 1, and no package.
# Usage: scripts/package.sh TORRENT [--forum URL] [--link-text TEXT] [--link-tip TEXT]
#          [--link-url URL] [--logo IMAGE] [--out DIR] [--flavour win32|win64]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
# Texts are taken as UTF-8 whatever the caller's locale, character by character.
export LC_ALL=C.UTF-8

usage() {
  echo "usage: scripts/package.sh TORRENT [--forum URL] [--link-text TEXT] [--link-tip TEXT] [--link-url URL] [--logo IMAGE] [--out DIR] [--flavour win32|win64]" >&2
  exit 2
}
fail() { echo "package: $*" >&2; exit 1; }

# The logo frame of the window: 19 x 19 dialog units in its font at 96 DPI. The window shows
# logo.bmp at the bitmap's own size, so the bitmap is made that size.
logo_size=29x31
# info.pyd's values are read into 260-byte buffers.
max_value_bytes=259

torrent=""
logo=""
out=dist
flavour=win32
declare -A texts=()
while [ $# -gt 0 ]; do
  case "$1" in
    --forum | --link-text | --link-tip | --link-url | --logo | --out | --flavour)
      [ $# -ge 2 ] || usage
      case "$1" in
        --forum) texts[help]=$2 ;;
        --link-text) texts[label]=$2 ;;
        --link-tip) texts[tip]=$2 ;;
        --link-url) texts[link]=$2 ;;
        --logo) logo=$2 ;;
        --out) out=$2 ;;
        --flavour) flavour=$2 ;;
      esac
      shift 2 ;;
    -h | --help) usage ;;
    -*) usage ;;
    *) [ -z "$torrent" ] || usage; torrent=$1; shift ;;
  esac
done
[ -n "$torrent" ] || usage
case "$flavour" in win32 | win64) ;; *) fail "--flavour must be win32 or win64, not '$flavour'" ;; esac
declare -A option_of=([help]=--forum [label]=--link-text [tip]=--link-tip [link]=--link-url)

work=$(mktemp -d)
stage=""
trap 'rm -rf "$work" ${stage:+"$stage"}' EXIT

# Prints $2 in GBK (code page 936, as the program reads it); refuses, naming the first
# character GBK cannot hold, what GBK cannot hold. $1 names the text in the message.
gbk() {
  local what=$1 text=$2 i
  printf '%s' "$text" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1 || fail "$what: not UTF-8 text"
  if printf '%s' "$text" | iconv -f UTF-8 -t CP936 2>/dev/null; then
    return 0
  fi
  for ((i = 0; i < ${#text}; i++)); do
    printf '%s' "${text:i:1}" | iconv -f UTF-8 -t CP936 >/dev/null 2>&1 \
      || fail "$what: GBK cannot hold '${text:i:1}' in '$text'"
  done
  fail "$what: GBK cannot hold '$text'"
}

# --- the torrent
[ -f "$torrent" ] || fail "no such torrent: $torrent"
[ -r "$torrent" ] || fail "cannot read the torrent: $torrent"
file=$(basename "$torrent")
name=${file%.[tT][oO][rR][rR][eE][nN][tT]}
[ -n "$name" ] || fail "the torrent's file name has nothing before .torrent: $file"
case "$file" in *[\\:*?\"\<\>\|]*) fail "Windows file names cannot hold '$file'" ;; esac
gbk "the torrent's file name" "$file" >"$work/file"
gbk "the torrent's name" "$name" >"$work/name"
# The program's command line is the torrent's file name and must be 8 bytes at least.
[ "$(wc -c <"$work/file")" -ge 8 ] || fail "the torrent's file name is shorter than 8 bytes: $file"
if [ -n "$logo" ]; then
  [ -f "$logo" ] && [ -r "$logo" ] || fail "cannot read the logo: $logo"
fi

# --- info.pyd, in the order of the keys' use; an option left out leaves its key out, so the
# program's default applies
printf '[INFO]\r\n' >"$work/info.pyd"
for key in help label tip link; do
  [ -n "${texts[$key]+set}" ] || continue
  option=${option_of[$key]}
  value=${texts[$key]}
  case "$value" in *[[:cntrl:]]*) fail "$option: one line without control characters, please" ;; esac
  gbk "$option" "$value" >"$work/value"
  bytes=$(wc -c <"$work/value")
  [ "$bytes" -le "$max_value_bytes" ] \
    || fail "$option: $bytes bytes in GBK, the program reads at most $max_value_bytes"
  # The INI reader trims blanks around a value and drops one pair of quotes around it: such
  # a value goes between quotes, so that it comes back as it was given.
  quote=""
  case "$value" in [[:space:]\"\']* | *[[:space:]\"\']) quote='"' ;; esac
  { printf '%s=%s' "$key" "$quote"; cat "$work/value"; printf '%s\r\n' "$quote"; } >>"$work/info.pyd"
done

# --- what the checks and the build need, installed when missing
tools=(aria2c identify convert zip cmake "$([ "$flavour" = win32 ] && echo i686 || echo x86_64)-w64-mingw32-g++-posix")
for tool in "${tools[@]}"; do
  if ! command -v "$tool" >/dev/null; then
    "$repo/scripts/setup.sh" >&2
    break
  fi
done

if ! LC_ALL=C aria2c --no-conf --show-files "$torrent" 2>/dev/null | grep -q '^Info Hash: '; then
  fail "not a torrent: $torrent"
fi

# --- the logo, at the frame's size, the whole picture on white
if [ -n "$logo" ]; then
  format=$(identify -format '%m' "$logo[0]" 2>/dev/null) || fail "cannot read the logo as an image: $logo"
  case "$format" in
    PNG | JPEG | BMP | BMP2 | BMP3) ;;
    *) fail "the logo must be a PNG, JPEG or BMP picture, not $format: $logo" ;;
  esac
  convert "$logo[0]" -background white -alpha remove -alpha off -resize "$logo_size" \
    -gravity center -extent "$logo_size" -type TrueColor "BMP3:$work/logo.bmp" 2>/dev/null \
    || fail "cannot convert the logo: $logo"
fi

mkdir -p "$out" 2>/dev/null && [ -w "$out" ] || fail "cannot write into $out"
out_path=$(cd "$out" && pwd)

# --- the programs
build="$repo/build/$flavour"
if [ ! -f "$build/bin/sprout.exe" ] || [ ! -f "$build/bin/engine/bt.exe" ]; then
  echo "Building the $flavour programs (the first time takes several minutes)..."
  "$repo/scripts/build-libtorrent.sh" "$flavour"
  mkdir -p "$build"
  cmake -S "$repo" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw${flavour#win}.cmake" \
    >"$work/configure.log" 2>&1 || { tail -n 20 "$work/configure.log" >&2; fail "configuring the $flavour build failed"; }
fi
cmake --build "$build" --target sprout btengine -j"$(nproc)" >"$work/build.log" 2>&1 \
  || { grep -E -A5 'error|Error' "$work/build.log" | head -n 40 >&2; fail "building the $flavour programs failed"; }

# --- the folder and the zip, made beside their places and then moved there, so that a failure
# leaves the previous package or none
stage=$(mktemp -d "$out_path/.package.XXXXXX")
folder="$stage/$name"
mkdir "$folder"
cp "$build/bin/sprout.exe" "$build/bin/engine/bt.exe" "$work/info.pyd" "$folder/"
cp "$torrent" "$folder/$file"
[ -z "$logo" ] || cp "$work/logo.bmp" "$folder/"
# Inside the zip the names are in GBK, the code page Chinese Windows reads a zip's names in.
zip_name=$(cat "$work/name")
zip_file=$(cat "$work/file")
mkdir "$stage/zip"
cp -r "$folder" "$stage/zip/$zip_name"
[ "$zip_file" = "$file" ] || mv "$stage/zip/$zip_name/$file" "$stage/zip/$zip_name/$zip_file"
(cd "$stage/zip" && LC_ALL=C zip -q -r -X "$stage/package.zip" "$zip_name") || fail "zip failed"

rm -rf "${out:?}/$name" "$out/$name.zip"
mv "$folder" "$out/$name"
mv "$stage/package.zip" "$out/$name.zip"
echo "Packed $out/$name/ and $out/$name.zip"
