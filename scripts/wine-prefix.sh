#!/usr/bin/env bash
# Creates and initialises the project's Wine prefix once; later runs find it ready.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
if [ -f "$WINEPREFIX/.sprout-ready" ]; then
  exit 0
fi
mkdir -p "$(dirname "$WINEPREFIX")"
rm -rf "$WINEPREFIX"
echo "Initialising Wine prefix in $WINEPREFIX (takes a few seconds)..."
# wineboot needs no display for the prefix itself; keep it away from any real one.
DISPLAY= wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot failed to create $WINEPREFIX" >&2; exit 1; }
touch "$WINEPREFIX/.sprout-ready"
