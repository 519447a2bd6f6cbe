#!/usr/bin/env bash
# Checks what the built plug-in shows a host: exactly the entry point under its two names,
# at one address, and no library beyond the C and C++ runtime (plus the sanitizer runtimes
# in sanitized builds).
# Usage: check_exports.sh <vorlen.so> <sanitized: 0 or 1>
set -euo pipefail
module=$1
sanitized=$2

symbols=$(nm -D --defined-only "$module" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$symbols" != "VSTPluginMain main " ]; then
  echo "exported symbols are '$symbols', expected 'VSTPluginMain main'"
  exit 1
fi
addresses=$(nm -D --defined-only "$module" | awk '{print $1}' | sort -u | wc -l)
if [ "$addresses" -ne 1 ]; then
  echo "VSTPluginMain and main are different functions"
  exit 1
fi

allowed="libc.so.6 libm.so.6 libstdc++.so.6 libgcc_s.so.1"
[ "$sanitized" = 1 ] && allowed="$allowed libasan.so.8 libubsan.so.1"
status=0
for needed in $(readelf -d "$module" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
  case " $allowed " in
    *" $needed "*) ;;
    *) echo "unexpected library dependency: $needed"; status=1 ;;
  esac
done
exit $status
