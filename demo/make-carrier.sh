#!/usr/bin/env bash
# Writes the demo's carrier: a sawtooth pad of four chords (Am, F, C, G), as long as the
# modulator, mono, 44.1 kHz, 32-bit float. Usage: make-carrier.sh MODULATOR.wav OUT.wav
set -euo pipefail
modulator="$1"
out="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
length="$(soxi -s "$modulator")"
segment=$(( (length + 3) / 4 ))
chords=("110.00 220.00 261.63 329.63"   # A minor
        "87.31 174.61 220.00 261.63"    # F major
        "130.81 196.00 261.63 329.63"   # C major
        "98.00 196.00 246.94 293.66")   # G major
parts=()
for i in "${!chords[@]}"; do
  tones=()
  for f in ${chords[$i]}; do tones+=(sawtooth "$f"); done
  # One channel per tone, mixed down; short fades keep the chord changes click-free.
  sox -V1 -r 44100 -n -D -b 32 -e float "$tmp/chord$i.wav" synth "${segment}s" "${tones[@]}" \
      gain -12 remix - fade t 0.02 "${segment}s" 0.02
  parts+=("$tmp/chord$i.wav")
done
sox -V1 -D "${parts[@]}" -b 32 -e float "$out" trim 0 "${length}s" gain -n -3
