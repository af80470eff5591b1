#!/usr/bin/env bash
# Creates and initialises the Wine prefix of the flavour under test once; later runs find it ready.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
if [ -f "$WINEPREFIX/.sprout-ready" ]; then
  exit 0
fi
mkdir -p "$(dirname "$WINEPREFIX")"
rm -rf "$WINEPREFIX"
what="$SPROUT_FLAVOUR Wine prefix"
[ "$SPROUT_WINE" = wow64 ] && what="WoW64 Wine's prefix"
echo "Initialising the $what in $WINEPREFIX (takes a few seconds)..."
# wineboot needs no display for the prefix itself; keep it away from any real one.
DISPLAY= timeout 300 wineboot -i >/dev/null 2>&1 || true
timeout 60 wineserver -w || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "setup: wineboot could not make the $what in $WINEPREFIX: this Wine cannot run $SPROUT_FLAVOUR programs on this machine" >&2
  exit 1
fi
touch "$WINEPREFIX/.sprout-ready"
