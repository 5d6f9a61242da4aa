#!/usr/bin/env bash
# Ardour 7 renders through the Linux plug-in exactly what ostraquelle-render does: for each
# setting, the exported master bus (both channels) equals the renderer's mix output within 1e-6
# of its peak, with the same length. Exit 77 (skipped) when Ardour is not installed.
#   usage: ardour-test.sh SOURCE_DIR PLUGIN.so OSTRAQUELLE_RENDER WORK_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$1 plugin=$2 render=$3 work=$4

for tool in ardour7-lua ardour7-export /usr/lib/ardour7/ardour-vst-scanner; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: Ardour 7 is not installed ($tool missing; Debian package ardour, scripts/packages/hosts.list)"
    exit 77
  fi
done

rm -rf "$work"
mkdir -p "$work"
for rate in 44100 48000; do
  bash "$here/make-input.sh" "$source_dir" "$work/input-$rate.wav" "$rate" || exit 1
done

# name | sample rate | actions in Ardour (INDEX=VALUE, p=PROGRAM) | the same for ostraquelle-render
cases=(
  "defaults|44100||"
  "whitening and other orders|44100|14=1 15=0.4 7=0.1 16=0.3 12=0.3|--set Whiten=1 --set White-Order=0.4 --set Pred-Order=0.1 --set White-Learn=0.3 --set Env-Rel=0.3"
  "program change after edits|44100|7=0.1 1=0.7 p=3 14=1 11=0.4|--program 3 --set Whiten=1 --set Env-Att=0.4"
  "48 kHz, other envelope times|48000|11=0.4 12=0.3|--set Env-Att=0.4 --set Env-Rel=0.3"
)
failed=0
n=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name rate actions options <<<"$entry"
  n=$((n + 1))
  # OSTRAQUELLE_HOST_CASES=N runs only the first N cases.
  [ "$n" -gt "${OSTRAQUELLE_HOST_CASES:-${#cases[@]}}" ] && break
  dir="$work/case$n"
  mkdir -p "$dir"
  # shellcheck disable=SC2086  # the lists are words by design
  if ! "$render" -q --input "$work/input-$rate.wav" -o "$dir/reference.wav" $options; then
    echo "FAIL $name: ostraquelle-render failed"; failed=1; continue
  fi
  started=$(date +%s.%N)
  # shellcheck disable=SC2086
  if ! bash "$here/ardour-render.sh" "$plugin" "$work/input-$rate.wav" "$dir/ardour.wav" "$dir/ardour" $actions; then
    echo "FAIL $name: Ardour did not render"; failed=1; continue
  fi
  seconds=$(echo "$(date +%s.%N) - $started" | bc)
  if figures=$(python3 "$here/compare-wav.py" "$dir/ardour.wav" "$dir/reference.wav" "$work/input-$rate.wav"); then
    echo "ok   $name: $figures; Ardour took ${seconds%???????}s"
  else
    echo "FAIL $name: $figures"; failed=1
  fi
done
exit $failed
