# Sourced: which Windows flavour runs under which Wine on this machine. Only decides; set-up
# (scripts/setup.sh) finds the facts and acts on the answer.
#
# sprout_wine_runs FORCED_WINE FORCED_FLAVOUR KERNEL32 SYSTEM_WINE32 ROOT
#   FORCED_WINE     SPROUT_WINE: "", system or wow64
#   FORCED_FLAVOUR  SPROUT_FLAVOUR: "", win32 or win64
#   KERNEL32        1 when the kernel runs 32-bit x86 code
#   SYSTEM_WINE32   1 when the system's 32-bit Wine is installed or can be
#   ROOT            1 when the WoW64 Wine root is there, 0 when it cannot be made, "" when
#                   it has not been tried yet
# Prints the runs, one "<flavour> <wine>" line each, the demo's first; or one line saying why
# none can be had, returning 1. A run under "wow64" asks for the root: when ROOT is "", make
# it and ask again with the outcome.
#
# The system's 32-bit Wine tests the product where it can be had. Where the kernel runs 32-bit
# code but that Wine cannot be installed, the WoW64 Wine (64-bit only, running 32-bit Windows
# programs itself) tests win32 and the system's Wine still tests win64. A kernel without any
# 32-bit support runs no 32-bit Windows program under either; there SPROUT_WINE=wow64 tests
# win64 under both Wines.
sprout_wine_runs() {
  local wine=$1 flavour=$2 kernel32=$3 system32=$4 root=$5 forced=$1
  if [ "$flavour" = win32 ] && [ "$kernel32" != 1 ]; then
    echo "win32 was asked for, but this machine's kernel runs no 32-bit x86 code; use SPROUT_FLAVOUR=win64"
    return 1
  fi
  if [ -z "$wine" ]; then
    wine=system
    if [ "$kernel32" = 1 ] && [ "$system32" != 1 ] && [ "$flavour" != win64 ] && [ "$root" != 0 ]; then
      wine=wow64
    fi
  fi
  if [ "$wine" = wow64 ]; then
    if [ "$root" = 0 ]; then
      echo "SPROUT_WINE=wow64 was asked for, but the WoW64 Wine root cannot be made"
      return 1
    fi
    local own=win64
    [ "$kernel32" = 1 ] && own=win32
    if [ -n "$flavour" ]; then
      echo "$flavour wow64"
    else
      echo "$own wow64"
      echo "win64 system"
    fi
    return 0
  fi
  if [ "$flavour" = win32 ] || { [ -z "$flavour" ] && [ "$kernel32" = 1 ] && [ "$system32" = 1 ]; }; then
    if [ "$system32" != 1 ] && [ "$forced" = system ]; then
      echo "win32 under the system's Wine was asked for, but its 32-bit Wine cannot be installed; SPROUT_WINE=wow64 runs win32 under the WoW64 Wine"
      return 1
    elif [ "$system32" != 1 ]; then
      echo "win32 was asked for, but neither the system's 32-bit Wine nor the WoW64 Wine root can be had"
      return 1
    fi
    echo "win32 system"
  else
    echo "win64 system"
  fi
}
