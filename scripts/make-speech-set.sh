#!/usr/bin/env bash
# Builds the speech and carrier material the factory presets are tuned and judged on, with no
# downloads: every voice of tools/tuning/voices.txt speaks the 20 sentences of its language
# (tools/tuning/sentences/), through espeak-ng or flite, and sox makes five carriers.
#   scripts/make-speech-set.sh [OUT]      (default build/speech)
# Leaves, all mono 44.1 kHz 32-bit float:
#   OUT/<set>/<voice>.wav        the 20 sentences with short pauses, peak -3 dBFS
#   OUT/<set>/<voice>-short.wav  the first 4 of them (what the search scores), peak -3 dBFS
#   OUT/carriers/<name>.wav      saw-pad, pulse-pad, noise, strings, bass; 90 s, peak -6 dBFS
# <set> is train, guard (training voices the search does not score) or heldout. Re-running rebuilds everything; the same tools give the same files.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/build/speech}
for tool in sox espeak-ng flite; do
  command -v "$tool" >/dev/null || { echo "make-speech-set: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out/train" "$out/guard" "$out/heldout" "$out/carriers"
# What the tuning scripts derived from the last material (cut carriers, louder voices, cached
# scores) would no longer match it.
rm -rf "$out/cut" "$out/hot" "$out/evaluated"
# Pure silence between sentences: the renderer pads the same way, and it keeps files exact.
sox -V1 -n -r 44100 -b 32 -e float -c 1 "$tmp/pause.wav" trim 0 0.3

# One sentence as 44.1 kHz float: espeak-ng speaks at 22.05 kHz, flite at 16 kHz.
speak() {  # synth voice text out
  case $1 in
    espeak-ng) espeak-ng -v "$2" -w "$tmp/raw.wav" "$3" ;;
    flite) flite -voice "$2" -t "$3" -o "$tmp/raw.wav" ;;
    *) echo "make-speech-set: unknown synthesizer $1" >&2; exit 1 ;;
  esac
  sox -V1 "$tmp/raw.wav" -r 44100 -b 32 -e float -c 1 "$4" rate -v
}

while read -r set synth voice language; do
  case $set in ''|'#'*) continue ;; esac
  name="$synth-${voice//+/-}"
  parts=()
  n=0
  while IFS= read -r sentence; do
    n=$((n + 1))
    speak "$synth" "$voice" "$sentence" "$tmp/s$n.wav"
    parts+=("$tmp/s$n.wav" "$tmp/pause.wav")
  done < "$here/tools/tuning/sentences/$language.txt"
  sox -V1 "${parts[@]}" -b 32 -e float "$out/$set/$name.wav" gain -n -3
  sox -V1 "${parts[@]:0:8}" -b 32 -e float "$out/$set/$name-short.wav" gain -n -3
  echo "$set/$name: $n sentences, $(soxi -D "$out/$set/$name.wav") s"
done < "$here/tools/tuning/voices.txt"

# Carriers: 90 s, longer than any voice file, cut to each voice's length when rendered.
len=90
chord() {  # wave duty-or-empty: the demo's four chords (Am F C G), 2.2 s each, repeated
  local wave=$1 i=0 parts=()
  local chords=("110.00 220.00 261.63 329.63" "87.31 174.61 220.00 261.63"
                "130.81 196.00 261.63 329.63" "98.00 196.00 246.94 293.66")
  for c in "${chords[@]}"; do
    local tones=()
    for f in $c; do tones+=("$wave" "$f"); done
    sox -V1 -r 44100 -n -b 32 -e float "$tmp/c$i.wav" synth 2.2 "${tones[@]}" gain -12 remix - \
        fade t 0.02 2.2 0.02
    parts+=("$tmp/c$i.wav")
    i=$((i + 1))
  done
  local cycle=("${parts[@]}") all=()
  for _ in $(seq 1 11); do all+=("${cycle[@]}"); done
  sox -V1 "${all[@]}" -b 32 -e float "$tmp/$wave-chords.wav" trim 0 $len
}
chord sawtooth
sox -V1 "$tmp/sawtooth-chords.wav" "$out/carriers/saw-pad.wav" gain -n -6
# Pulse waves an octave up, with the highs lifted: brighter than the saw pad.
# Doubling the speed halves the length: two runs of the chords go in.
chord square
sox -V1 "$tmp/square-chords.wav" "$tmp/square-chords.wav" "$tmp/pulse.wav" speed 2 trim 0 $len
sox -V1 "$tmp/pulse.wav" "$out/carriers/pulse-pad.wav" treble +6 4000 gain -n -6
sox -V1 -n -r 44100 -b 32 -e float "$tmp/noise.wav" synth $len whitenoise
sox -V1 "$tmp/noise.wav" "$out/carriers/noise.wav" gain -n -6
# Strings: three slightly detuned saws per note, rounded off above 3 kHz, with a slow swell.
sox -V1 -r 44100 -n -b 32 -e float "$tmp/strings.wav" synth $len \
    sawtooth 220 sawtooth 220.9 sawtooth 219.2 sawtooth 329.6 sawtooth 330.8 sawtooth 277.2 \
    remix - lowpass 3000 tremolo 0.3 20
sox -V1 "$tmp/strings.wav" "$out/carriers/strings.wav" gain -n -6
# Bass: a repeating eight-note riff of eighth notes at 120 bpm, square waves through a low-pass.
riff=(55 55 65.41 55 73.42 55 82.41 73.42)
bparts=()
for i in "${!riff[@]}"; do
  sox -V1 -r 44100 -n -b 32 -e float "$tmp/b$i.wav" synth 0.25 square "${riff[$i]}" \
      fade t 0.005 0.25 0.03
  bparts+=("$tmp/b$i.wav")
done
sox -V1 "${bparts[@]}" "$tmp/bar.wav"
bars=()
for _ in $(seq 1 46); do bars+=("$tmp/bar.wav"); done
sox -V1 "${bars[@]}" -b 32 -e float "$tmp/bass.wav" lowpass 1200 trim 0 $len
sox -V1 "$tmp/bass.wav" "$out/carriers/bass.wav" gain -n -6
# A carrier shorter than a voice would be padded with silence and every score past its end
# would be the silence's: refuse the material instead.
longest=$(for f in "$out"/train/*.wav "$out"/guard/*.wav "$out"/heldout/*.wav; do soxi -D "$f"; done | sort -g | tail -n1)
for f in "$out"/carriers/*.wav; do
  awk -v c="$(soxi -D "$f")" -v v="$longest" 'BEGIN { exit !(c >= v) }' ||
    { echo "make-speech-set: $f lasts $(soxi -D "$f") s, shorter than the longest voice ($longest s)" >&2; exit 1; }
done
echo "carriers: $(cd "$out/carriers" && echo *.wav), each at least $longest s"
