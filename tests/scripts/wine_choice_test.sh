#!/usr/bin/env bash
# Which flavour runs under which Wine, for every kind of machine and every forced choice.
# Usage: wine_choice_test.sh REPO
. "$1/scripts/wine-choice.sh"
failures=0
# expect "<SPROUT_WINE> <SPROUT_FLAVOUR> <kernel32> <system32> <root>" "<runs, ; between>"
expect() {
  local args got
  read -r -a args <<<"$1"
  args=("${args[@]/#-/}")
  got=$(sprout_wine_runs "${args[@]}" | paste -sd ';')
  if [ "$got" != "$2" ]; then
    echo "FAIL: wine=${args[0]} flavour=${args[1]} kernel32=${args[2]} system32=${args[3]} root=${args[4]}: '$got', expected '$2'"
    failures=$((failures + 1))
  fi
}
refused() {  # the same arguments, with no runs to be had: one line saying why, and status 1
  local args out status
  read -r -a args <<<"$1"
  args=("${args[@]/#-/}")
  out=$(sprout_wine_runs "${args[@]}")
  status=$?
  if [ "$status" != 1 ] || [ "$(wc -l <<<"$out")" != 1 ] || [[ "$out" != *"$2"* ]]; then
    echo "FAIL: $1: status $status, '$out', expected one line saying '$2'"
    failures=$((failures + 1))
  fi
}

# No 32-bit code in the kernel: win64 under the system's Wine, as ever; forced WoW64 adds it.
expect "- - 0 0 -" "win64 system"
expect "- - 0 1 -" "win64 system"
expect "wow64 - 0 0 -" "win64 wow64;win64 system"
expect "wow64 - 0 0 1" "win64 wow64;win64 system"
expect "wow64 win64 0 0 1" "win64 wow64"
expect "system - 0 0 -" "win64 system"
refused "- win32 0 0 1" "kernel runs no 32-bit"
refused "wow64 - 0 0 0" "cannot be made"
# 32-bit kernel with the system's 32-bit Wine: the product under it, never a root.
expect "- - 1 1 -" "win32 system"
expect "- win64 1 1 -" "win64 system"
expect "system win32 1 1 -" "win32 system"
# 32-bit kernel without it: win32 under the WoW64 Wine and win64 under the system's...
expect "- - 1 0 -" "win32 wow64;win64 system"
expect "- - 1 0 1" "win32 wow64;win64 system"
expect "- win32 1 0 1" "win32 wow64"
expect "- win64 1 0 -" "win64 system"
# ...or, when the root cannot be made, win64 under the system's Wine alone.
expect "- - 1 0 0" "win64 system"
refused "- win32 1 0 0" "neither"
refused "system win32 1 0 -" "SPROUT_WINE=wow64"
expect "system - 1 0 -" "win64 system"
# Forced WoW64 on a 32-bit kernel, even where the system's 32-bit Wine could be had.
expect "wow64 - 1 1 -" "win32 wow64;win64 system"
expect "wow64 win64 1 0 1" "win64 wow64"

echo "$failures failed"
[ "$failures" = 0 ]
