#!/usr/bin/env bash
# Regenerates demo/modulator.wav, the spoken modulator of the demo. It was run once and its
# output committed (espeak-ng voices differ between versions, and the demo should sound the same
# everywhere); run it again only to change the sentences.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
espeak-ng -v en-gb -s 155 -w "$tmp/speech.wav" \
  "Hello. This is Ostraquelle, a vocoder built on linear prediction. It learns my voice at every sample, and plays it on the carrier."
# 44.1 kHz mono 16-bit, peak at -1 dBFS, no dither so that reruns give the same bytes.
sox "$tmp/speech.wav" -D -b 16 -r 44100 "$here/modulator.wav" rate -v gain -n -1
