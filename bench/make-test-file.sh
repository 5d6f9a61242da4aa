#!/usr/bin/env bash
# Writes a 60 s stereo 16-bit WAV test file, left carrier and right modulator, from the demo's
# material: the demo modulator (speech) repeated, and the demo's chord carrier made for it.
#   make-test-file.sh OUT.wav
set -euo pipefail
out=$1
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sox -V1 "$root/demo/modulator.wav" -r 44100 -b 16 "$tmp/modulator.wav" repeat 7 trim 0 60
"$root/demo/make-carrier.sh" "$tmp/modulator.wav" "$tmp/carrier.wav"
sox -V1 -M "$tmp/carrier.wav" "$tmp/modulator.wav" -b 16 "$out"
echo "$out"
