# Sourced: SPROUT_CACHE, the machine's cache of what takes long to make and does not change with
# the sources (the libtorrent builds), kept outside the clone so that every fresh clone on this
# machine reuses it. /var/cache/sprout by default; SPROUT_CACHE moves it; where that cannot be
# made, build/cache in the clone.
SPROUT_CACHE=${SPROUT_CACHE:-/var/cache/sprout}
if ! mkdir -p "$SPROUT_CACHE" 2>/dev/null || [ ! -w "$SPROUT_CACHE" ]; then
  if [ "$(id -u)" != 0 ] && sudo -n mkdir -p "$SPROUT_CACHE" 2>/dev/null \
     && sudo -n chown "$(id -u):$(id -g)" "$SPROUT_CACHE" 2>/dev/null; then
    :
  else
    SPROUT_CACHE="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/cache"
    mkdir -p "$SPROUT_CACHE"
  fi
fi
export SPROUT_CACHE
