#!/usr/bin/env bash
# The built LV2 bundle in real LV2 tools: LV2's own validator, lilv's lv2info and
# lv2apply. One check per call:
#   lv2_hosts.sh validate BUNDLE
#   lv2_hosts.sh info BUNDLE
#   lv2_hosts.sh apply BUNDLE AUDIO_CHECK [VORLEN_RENDER]
# Exits 77 (skipped) when a tool is not installed, unless VORLEN_REQUIRE_LV2_HOSTS=1.
set -euo pipefail
check=$1
bundle=$(realpath "$2")
uri=https://plomb.dev/plugins/vorlen

need() {
  if ! command -v "$1" >/dev/null; then
    echo "$1 is not installed"
    [ "${VORLEN_REQUIRE_LV2_HOSTS:-0}" = 1 ] && exit 1
    exit 77
  fi
}

# Our bundle first, then the system's, whose LV2 core gives the classes' names.
export LV2_PATH=$(dirname "$bundle"):/usr/lib/lv2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case $check in
validate)
  need lv2_validate
  need sord_validate
  lv2_validate "$bundle/manifest.ttl" "$bundle/vorlen.ttl" 2>&1 | grep -v '^Skipping file' \
    | tee "$work/log"
  grep -q '^Found 0 errors' "$work/log"
  ;;

info)
  need lv2info
  lv2info "$uri" | tee "$work/info"
  # Collapse each port's block onto one line, so that every expectation names its port.
  awk '/^\tPort [0-9]+:/ {if (p) print p; p=$0; next}
       /^\t\t/ {gsub(/^[ \t]+/, ""); gsub(/[ \t]+/, " "); if (p) p=p " | " $0; next}
       END {if (p) print p}' "$work/info" | sed 's/^\t//' >"$work/ports"
  status=0
  expect() { # expect PATTERN WHERE: an extended regular expression over the info or ports
    if ! grep -Eq -- "$1" "$work/$2"; then
      echo "not found in lv2info's $2: $1"
      status=1
    fi
  }
  expect $'^\tName: +Vorlen$' info
  expect $'^\tClass: +Spectral Plugin$' info
  expect $'^\tAuthor: +Plomb$' info
  expect $'^\tHas latency: +yes, reported by port 6$' info
  expect 'hardRTCapable' info
  expect '^Port 0:.*AudioPort \| .*InputPort \| Symbol: in_l \|' ports
  expect '^Port 1:.*AudioPort \| .*InputPort \| Symbol: in_r \|' ports
  expect '^Port 2:.*AudioPort \| .*OutputPort \| Symbol: out_l \|' ports
  expect '^Port 3:.*AudioPort \| .*OutputPort \| Symbol: out_r \|' ports
  expect '^Port 4:.*ControlPort \| .*InputPort \| Symbol: ratio \| Name: Ratio \| Minimum: 0\.000000 \| Maximum: 1\.000000 \| Default: 1\.000000' ports
  expect '^Port 5:.*ControlPort \| .*InputPort \| Symbol: smoothing \| Name: Smoothing \| Minimum: 0\.000000 \| Maximum: 20\.000000 \| Default: 10\.000000 \| Properties: .*#integer' ports
  expect '^Port 6:.*ControlPort \| .*OutputPort \| Symbol: latency \|.*Designation: .*#latency.*#reportsLatency' ports
  ports=$(grep -c '^Port ' "$work/ports")
  if [ "$ports" -ne 7 ]; then
    echo "lv2info lists $ports ports, expected 7"
    status=1
  fi
  exit $status
  ;;

apply)
  need lv2apply
  audio_check=$3
  render=${4:-}
  "$audio_check" make "$work/in.wav" 100000
  # At Ratio 0 the output is the input 2048 samples late under the windows' gain.
  lv2apply -i "$work/in.wav" -o "$work/dry.wav" -c ratio 0 "$uri"
  "$audio_check" dry "$work/in.wav" "$work/dry.wav" 2048
  if [ -n "$render" ]; then
    # The first instance of a process draws the noise of seed 1, so lv2apply's render is the
    # VST2 build's with that seed, latency uncompensated as lv2apply leaves it.
    lv2apply -i "$work/in.wav" -o "$work/lv2.wav" -c smoothing 7 -c ratio 0.6 "$uri"
    "$render" "$work/in.wav" "$work/vst.wav" --seed 1 --no-latency-compensation \
      --param Ratio=0.6 --param Smoothing=0.35
    echo -n "lv2apply against vorlen-render --seed 1: "
    "$audio_check" same "$work/lv2.wav" "$work/vst.wav"
  fi
  ;;

*)
  echo "unknown check: $check"
  exit 2
  ;;
esac
