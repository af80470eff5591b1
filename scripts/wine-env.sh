# Sourced by the other scripts: the Wine and the Wine prefix of the flavour under test (win32
# or win64) and a GBK (code page 936) locale. The flavour comes from SPROUT_FLAVOUR, else from
# set-up's choice; the Wine from SPROUT_WINE (system or wow64), else from set-up's runs
# (build/wine-runs) for that flavour, else the system's. The WoW64 Wine runs from the
# machine's root (scripts/wine-wow64) in a 64-bit prefix of its own, whatever the flavour.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/scripts/flavour.sh"
if [ -z "${SPROUT_WINE:-}" ]; then
  SPROUT_WINE=$(awk -v f="$SPROUT_FLAVOUR" '$1 == f { print $2; exit }' "$repo/build/wine-runs" 2>/dev/null)
  SPROUT_WINE=${SPROUT_WINE:-system}
fi
export SPROUT_WINE
PATH=${PATH//"$repo/scripts/wow64-bin:"/}
if [ "$SPROUT_WINE" = wow64 ]; then
  PATH="$repo/scripts/wow64-bin:$PATH"
  export WINEPREFIX="${WINEPREFIX:-$repo/build/wineprefix-wow64}"
  export WINEARCH=win64
else
  export WINEPREFIX="${WINEPREFIX:-$repo/build/wineprefix-$SPROUT_FLAVOUR}"
  export WINEARCH=$SPROUT_FLAVOUR
fi
export PATH
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The calling shell may have started before set-up made the locale: the C library reads the
# locale archive once, so that shell cannot switch to it and says so. Only its children, Wine
# among them, need it, and they read the archive afresh.
{
  export LANG=zh_CN.UTF-8
  export LC_ALL=zh_CN.UTF-8
} 2>/dev/null
