#!/usr/bin/env bash
# Loads the built plug-in into Ardour's VST 2.4 scanner, a real host, and checks what the
# host recorded about it in its plug-in cache.
# Usage: ardour_scan.sh <vorlen.so>
# Exits 77 (skipped) when the scanner is not installed, unless VORLEN_REQUIRE_SCANNER=1.
set -euo pipefail
module=$(realpath "$1")
libdir=${VORLEN_ARDOUR_LIBDIR:-/usr/lib/ardour7}
scanner=$libdir/ardour-vst-scanner

if [ ! -x "$scanner" ]; then
  echo "$scanner is not installed"
  [ "${VORLEN_REQUIRE_SCANNER:-0}" = 1 ] && exit 1
  exit 77
fi

# The scanner writes its cache below $HOME; keep it away from the user's own.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
unset XDG_CACHE_HOME XDG_CONFIG_HOME XDG_DATA_HOME
HOME=$home LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} \
  timeout 120 "$scanner" -f "$module"

mapfile -t caches < <(find "$home" -type f -name '*.v2i')
if [ "${#caches[@]}" -ne 1 ]; then
  echo "expected one VST2 cache file under $home, found ${#caches[@]}"
  exit 1
fi
cat "${caches[0]}"

entries=$(grep -c '<VST2Info ' "${caches[0]}" || true)
if [ "$entries" -ne 1 ]; then
  echo "expected one plug-in in the cache, found $entries"
  exit 1
fi
entry=$(grep '<VST2Info ' "${caches[0]}")

status=0
expect() {
  local value
  value=$(sed -n "s/.* $1=\"\([^\"]*\)\".*/\1/p" <<<"$entry")
  if [ "$value" != "$2" ]; then
    echo "$1 is '$value', expected '$2'"
    status=1
  fi
}
expect id 1803186551
expect name Vorlen
expect creator Plomb
expect n_inputs 2
expect n_outputs 2
expect can_process_replace 1
expect has_editor 0
expect is_instrument 0
exit $status
