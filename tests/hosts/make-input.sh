#!/usr/bin/env bash
# Writes the host tests' input: a stereo 32-bit float WAV, a sawtooth chord on the left
# (carrier) and the start of the demo's spoken sentence on the right (modulator), 2.5 s long.
# The frame count is no multiple of a power of two, so the last block is a short one.
#   usage: make-input.sh SOURCE_DIR OUT.wav [RATE]
set -euo pipefail
source_dir=$1 out=$2 rate=${3:-44100}
frames=$((rate * 5 / 2 + 237))
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sox -V1 "$source_dir/demo/modulator.wav" -e floating-point -b 32 "$tmp/modulator.wav" \
    remix 1 rate "$rate" trim 0 "${frames}s"
sox -V1 -r "$rate" -n -e floating-point -b 32 "$tmp/carrier.wav" \
    synth "${frames}s" sawtooth 110 sawtooth 220 sawtooth 261.63 sawtooth 329.63 gain -12 remix -
sox -V1 -M "$tmp/carrier.wav" "$tmp/modulator.wav" -e floating-point -b 32 "$out"
[ "$(soxi -s "$out")" = "$frames" ] || { echo "make-input: $out is not $frames frames long" >&2; exit 1; }
