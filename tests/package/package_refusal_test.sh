#!/usr/bin/env bash
# scripts/package.sh on bad input: one line on standard error naming the trouble, exit code 1,
# and no package written.
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mktorrent -o "$tmp/good-one.torrent" "$0" >/dev/null
echo "no torrent here" >"$tmp/text.torrent"
echo "no picture here" >"$tmp/logo.png"
long=$(printf '长%.0s' $(seq 130))  # 260 bytes in GBK

failures=0
refused() {  # expected-words-in-the-line package.sh-arguments...
  local words=$1
  shift
  "$repo/scripts/package.sh" "$@" --out "$tmp/dist" >"$tmp/out" 2>"$tmp/err"
  local code=$?
  local why=""
  [ "$code" = 1 ] || why="exit code $code"
  [ "$(wc -l <"$tmp/err")" = 1 ] || why="$why; $(wc -l <"$tmp/err") lines on standard error"
  grep -qF -- "$words" "$tmp/err" || why="$why; the line does not name '$words'"
  [ -z "$(ls -A "$tmp/dist" 2>/dev/null)" ] || why="$why; left $(ls -A "$tmp/dist")"
  if [ -n "$why" ]; then
    echo "FAILED: package.sh $*: ${why#; }"
    sed 's/^/  | /' "$tmp/err"
    failures=$((failures + 1))
  fi
}

refused "--link-text" "$tmp/good-one.torrent" --link-text "下载 ✓ 完成"
refused "😀" "$tmp/good-one.torrent" --forum "http://example.com/😀"
refused "--link-tip" "$tmp/good-one.torrent" --link-tip "$long"
refused "$tmp/missing.torrent" "$tmp/missing.torrent"
refused "$tmp/text.torrent" "$tmp/text.torrent"
refused "$tmp/logo.png" "$tmp/good-one.torrent" --logo "$tmp/logo.png"
echo "$failures failed"
[ "$failures" = 0 ]
