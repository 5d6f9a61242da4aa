#!/usr/bin/env bash
# Ardour 7 loads the bundle's Stereo plug-in on a stereo track, headless (the host tests'
# ardour-render.sh, its side-chain input wired to the track's second channel), and renders
# what ostraquelle-render renders through the VST 2.x .so at the same settings: the master
# bus equals the mix bit for bit, since every port value here maps exactly.
# Exit 77 (skipped) with the reason where Ardour or the bundle is missing.
#   usage: ardour-test.sh SOURCE_DIR BUNDLE_DIR OSTRAQUELLE_RENDER GENERATOR WORK_DIR
set -uo pipefail
source_dir=$1 bundle=$2 render=$3 generator=$4 work=$5
hosts=$source_dir/tests/hosts

[ -n "$bundle" ] && [ -f "$bundle/manifest.ttl" ] ||
  { echo "skipped: no LV2 bundle in this build (LV2 headers missing: Debian package lv2-dev)"; exit 77; }
for tool in ardour7-lua ardour7-export soxi python3; do
  command -v "$tool" >/dev/null ||
    { echo "skipped: $tool is missing (Ardour 7: Debian package ardour, scripts/packages/hosts.list)"; exit 77; }
done
rm -rf "$work"
mkdir -p "$work"
input=$work/input.wav
bash "$hosts/make-input.sh" "$source_dir" "$input" 44100 || exit 1

# name | ostraquelle-render settings (NAME=normalised)
cases=(
  "defaults|"
  "whitening on, other orders|Whiten=1 White-Order=0.4 Pred-Order=0.1 White-Learn=0.3 Env-Rel=0.3"
)
failed=0 n=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name settings <<<"$entry"
  n=$((n + 1))
  # OSTRAQUELLE_HOST_CASES=N runs only the first N cases.
  [ "$n" -gt "${OSTRAQUELLE_HOST_CASES:-${#cases[@]}}" ] && break
  dir=$work/case$n
  mkdir -p "$dir"
  render_options=() actions=()
  for setting in $settings; do render_options+=(--set "$setting"); done
  if [ -n "$settings" ]; then
    # shellcheck disable=SC2086  # the settings are words by design
    values=$("$generator" --port-values $settings) || { echo "FAIL $name: no port values"; failed=1; continue; }
    while read -r _ value how control; do
      [ "$how" = exact ] || { echo "FAIL $name: a value does not map exactly"; failed=1; continue 2; }
      actions+=("$control=$value")
    done <<<"$values"
  fi
  if ! "$render" -q --input "$input" -o "$dir/reference.wav" "${render_options[@]}"; then
    echo "FAIL $name: ostraquelle-render failed"; failed=1; continue
  fi
  if ! bash "$hosts/ardour-render.sh" "$bundle" "$input" "$dir/ardour.wav" "$dir/ardour" "${actions[@]}"; then
    echo "FAIL $name: Ardour did not render"; failed=1; continue
  fi
  if ! figures=$(python3 "$hosts/compare-wav.py" "$dir/ardour.wav" "$dir/reference.wav" "$input"); then
    echo "FAIL $name: $figures"; failed=1
  elif [[ $figures != *"max difference 0 "* ]]; then
    echo "FAIL $name: not bit for bit: $figures"; failed=1
  else
    echo "ok   $name, Ardour: $figures"
  fi
done
exit $failed
