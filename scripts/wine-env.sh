# Sourced by the other scripts: the Wine prefix of the flavour under test (win32 or win64) and
# a GBK (code page 936) locale. The flavour comes from SPROUT_FLAVOUR, else from set-up's choice.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/scripts/flavour.sh"
export WINEPREFIX="${WINEPREFIX:-$repo/build/wineprefix-$SPROUT_FLAVOUR}"
export WINEARCH=$SPROUT_FLAVOUR
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
