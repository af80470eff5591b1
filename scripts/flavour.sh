# Sourced: the Windows flavour whose programs this machine runs under Wine. SPROUT_FLAVOUR
# (win32 or win64) forces one; otherwise set-up's choice in build/flavour, else win32.
# Sets SPROUT_FLAVOUR, SPROUT_WIN_BUILD (its build folder), SPROUT_TOOLCHAIN and SPROUT_TRIPLE.
sprout_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${SPROUT_FLAVOUR:-}" ] && [ -f "$sprout_repo/build/flavour" ]; then
  SPROUT_FLAVOUR=$(cat "$sprout_repo/build/flavour")
fi
SPROUT_FLAVOUR=${SPROUT_FLAVOUR:-win32}
case "$SPROUT_FLAVOUR" in
  win32) SPROUT_TRIPLE=i686-w64-mingw32; SPROUT_TOOLCHAIN="$sprout_repo/cmake/mingw32.cmake" ;;
  win64) SPROUT_TRIPLE=x86_64-w64-mingw32; SPROUT_TOOLCHAIN="$sprout_repo/cmake/mingw64.cmake" ;;
  *) echo "SPROUT_FLAVOUR must be win32 or win64, not '$SPROUT_FLAVOUR'" >&2; return 1 2>/dev/null || exit 1 ;;
esac
SPROUT_WIN_BUILD="$sprout_repo/build/$SPROUT_FLAVOUR"
export SPROUT_FLAVOUR SPROUT_TRIPLE SPROUT_TOOLCHAIN SPROUT_WIN_BUILD
