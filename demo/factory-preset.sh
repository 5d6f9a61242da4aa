#!/usr/bin/env bash
# The demo's sentence through the factory preset "Clear Speech" beside the plug-in's defaults:
# both scores of each, and a spectrogram of each. The voice and the pad are brought to the
# levels the factory presets are tuned for (voice -3 dBFS peak, carrier -6 dBFS).
#   demo/factory-preset.sh [OUT]     (default out/demo; needs build/linux with the renderer)
# Leaves OUT/voice-3dB.wav, OUT/pad-6dB.wav, OUT/defaults.wav, OUT/defaults.png,
# OUT/clear-speech.wav and OUT/clear-speech.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out=${1:-$root/out/demo}
render=$root/build/linux/ostraquelle-render measure=$root/build/linux/ostraquelle-articulation
bank=$root/presets/Ostraquelle-factory.fxb
mkdir -p "$out"
sox -V1 "$root/demo/modulator.wav" -b 32 -e float "$out/voice-3dB.wav" gain -n -3
bash "$root/demo/make-carrier.sh" "$out/voice-3dB.wav" "$out/pad.tmp.wav"
sox -V1 "$out/pad.tmp.wav" "$out/pad-6dB.wav" gain -n -6
rm -f "$out/pad.tmp.wav"
# Program 0 of the bank is "Clear Speech".
"$render" -q --carrier "$out/pad-6dB.wav" --modulator "$out/voice-3dB.wav" -o "$out/defaults.wav"
"$render" -q --preset "$bank" --program 0 --carrier "$out/pad-6dB.wav" \
  --modulator "$out/voice-3dB.wav" -o "$out/clear-speech.wav"
for name in defaults clear-speech; do
  echo "== $name"
  "$measure" "$out/voice-3dB.wav" "$out/pad-6dB.wav" "$out/$name.wav" | sed -n '2,3p'
  read -r _ _ _ _ _ peak _ < <("$measure" --scores "$out/voice-3dB.wav" "$out/$name.wav")
  echo "peak $peak dBFS"
  sox -V1 "$out/$name.wav" -n spectrogram -x 1200 -y 513 -z 90 -t "$name" -o "$out/$name.png"
done
