#!/usr/bin/env bash
# lv2apply and lv2file render through the LV2 bundle what ostraquelle-render renders through
# the VST 2.x .so at the same settings: the mix on both channels within 1e-6 of the peak, and
# bit for bit wherever every port value maps exactly onto the normalised value (the
# generator says so for each value; all cases here do). lv2apply runs the stereo plug-in one
# frame per call, lv2file the full one in blocks of 512 and the presets (which it finds by
# their labels). lv2file runs with --ignore-clipping: its clipping check changes the audio
# from the first sample above full scale on, and the mix at the defaults peaks at +14 dBFS
# (written as float, as ostraquelle-render writes it).
# Exit 77 (skipped) with the reason where a tool or the bundle is missing.
#   usage: render-test.sh SOURCE_DIR BUNDLE_DIR OSTRAQUELLE_RENDER GENERATOR WORK_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$1 bundle=$2 render=$3 generator=$4 work=$5
hosts=$source_dir/tests/hosts

[ -n "$bundle" ] && [ -f "$bundle/manifest.ttl" ] ||
  { echo "skipped: no LV2 bundle in this build (LV2 headers missing: Debian package lv2-dev)"; exit 77; }
for tool in lv2apply lv2file sox python3; do
  command -v "$tool" >/dev/null ||
    { echo "skipped: $tool is missing (lv2apply: lilv-utils, lv2file: lv2file; scripts/packages/lv2.list)"; exit 77; }
done
full=urn:valtrisk:ostraquelle stereo=urn:valtrisk:ostraquelle:stereo

rm -rf "$work"
mkdir -p "$work/lv2"
# A search path with this bundle alone: the build tree's other folders are no bundles.
ln -s "$(cd "$bundle" && pwd)" "$work/lv2/Ostraquelle.lv2"
export LV2_PATH=$work/lv2
for rate in 44100 48000; do
  bash "$hosts/make-input.sh" "$source_dir" "$work/input-$rate.wav" "$rate" || exit 1
done

# name | rate | ostraquelle-render settings (NAME=normalised) | program and preset label or
# empty
cases=(
  "defaults|44100||"
  "whitening on, other orders|44100|Whiten=1 White-Order=0.4 Pred-Order=0.1 White-Learn=0.3 Env-Rel=0.3|"
  "48 kHz, other envelope times|48000|Env-Att=0.4 Env-Rel=0.3|"
)
# Each preset by its label, against its program; lv2file finds a preset by its label only, so
# of presets that share one (the eight built-in programs are all "Init" with the defaults)
# the first stands for them all (BundleTextTest checks every preset's values).
labels=()
for program in 0 1 2 3 4 5 6 7; do
  label=$(awk -v uri="<$full:preset:$((program + 1))>" '$1 == uri {found = 1}
            found && /rdfs:label/ {sub(/.*rdfs:label "/, ""); sub(/" ;$/, ""); print; exit}' \
            "$bundle/presets.ttl")
  [ -n "$label" ] || { echo "FAIL: preset $((program + 1)) has no label in presets.ttl"; exit 1; }
  case " ${labels[*]} " in *" $label "*) continue ;; esac
  labels+=("$label")
  cases+=("preset $((program + 1)) \"$label\"|44100||$program|$label")
done
# The factory presets against the bank they come from (their port values need not map
# exactly: within 1e-6 of the peak).
bank=$source_dir/presets/Ostraquelle-factory.fxb
for program in 0 1 2 3 4 5 6 7; do
  label=$(awk -v uri="<$full:factory:$((program + 1))>" '$1 == uri {found = 1}
            found && /rdfs:label/ {sub(/.*rdfs:label "/, ""); sub(/" ;$/, ""); print; exit}' \
            "$bundle/factory.ttl")
  [ -n "$label" ] || { echo "FAIL: factory preset $((program + 1)) has no label in factory.ttl"; exit 1; }
  cases+=("factory preset $((program + 1)) \"$label\"|44100||$program|$label|$bank")
done

failed=0
compare() {  # label host.wav reference.wav input.wav exact
  local figures
  if ! figures=$(python3 "$hosts/compare-wav.py" "$2" "$3" "$4"); then
    echo "FAIL $1: $figures"; failed=1; return
  fi
  if [ "$5" = exact ] && [[ $figures != *"max difference 0 "* ]]; then
    echo "FAIL $1: not bit for bit although every value maps exactly: $figures"; failed=1; return
  fi
  echo "ok   $1: $figures"
}

n=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name rate settings program label preset_file <<<"$entry"
  n=$((n + 1))
  dir=$work/case$n input=$work/input-$rate.wav
  mkdir -p "$dir"
  render_options=() apply_options=() file_options=() exact=exact
  for setting in $settings; do render_options+=(--set "$setting"); done
  if [ -n "$settings" ]; then
    # shellcheck disable=SC2086  # the settings are words by design
    values=$("$generator" --port-values $settings) || { echo "FAIL $name: no port values"; failed=1; continue; }
    while read -r symbol value how _; do
      apply_options+=(-c "$symbol" "$value")
      file_options+=(-p "$symbol:$value")
      [ "$how" = exact ] || exact=near
    done <<<"$values"
  fi
  if [ -n "$program" ]; then
    render_options+=(--program "$program")
    file_options+=(-P "$label")
  fi
  if [ -n "$preset_file" ]; then
    render_options+=(--preset "$preset_file")
    exact=near
  fi
  if ! "$render" -q --input "$input" -o "$dir/reference.wav" "${render_options[@]}"; then
    echo "FAIL $name: ostraquelle-render failed"; failed=1; continue
  fi
  if [ -z "$program" ]; then
    if lv2apply -i "$input" -o "$dir/lv2apply.wav" "${apply_options[@]}" "$stereo" >"$dir/lv2apply.log" 2>&1; then
      compare "$name, lv2apply" "$dir/lv2apply.wav" "$dir/reference.wav" "$input" $exact
    else
      echo "FAIL $name: lv2apply failed: $(tail -n 3 "$dir/lv2apply.log")"; failed=1
    fi
  fi
  if lv2file -i "$input" -o "$dir/lv2file-all.wav" -b 512 --ignore-clipping \
            "${file_options[@]}" "$full" >"$dir/lv2file.log" 2>&1 &&
     python3 "$here/mix-pair.py" "$dir/lv2file-all.wav" "$dir/lv2file.wav"; then
    compare "$name, lv2file" "$dir/lv2file.wav" "$dir/reference.wav" "$input" $exact
  else
    echo "FAIL $name: lv2file failed: $(tail -n 3 "$dir/lv2file.log")"; failed=1
  fi
done
exit $failed
