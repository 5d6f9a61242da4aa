#!/usr/bin/env bash
# Throughput of batch rendering: 24 modulators of 10 s through one carrier, as one batch
# command (ostraquelle-render --out-dir, one worker per core by default) against a shell loop
# of single renders, in alternating runs, median of each. Prints both runs' wall time, files per
# second and audio seconds per wall second, the batch's throughput over the loop's, and what
# the loop pays per file beyond the batch (the process start and the plug-in loading a batch
# pays once per worker).
#   batch-throughput.sh [BUILD_DIR] [RUNS] [JOBS]
# The material: the demo's spoken sentence, each copy starting at another point and looped to
# 10 s, and the demo's chord pad for it. Outputs go to a scratch directory inside BUILD_DIR
# (a disk, as in render-overhead.sh); every run replaces the previous run's files.
set -euo pipefail
build=$(cd "${1:-build/linux}" && pwd)
runs=${2:-5}
jobs=${3:-}
files=24 seconds=10
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d "$build/batch-throughput.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/voices" "$tmp/batch" "$tmp/loop"

for ((i = 0; i < files; i++)); do
  start=$(awk -v i="$i" 'BEGIN {printf "%.2f", (i * 0.37) % 8}')
  sox -V1 "$root/demo/modulator.wav" -r 44100 -b 16 "$tmp/voices/voice$i.wav" \
      trim "$start" repeat 2 trim 0 "$seconds"
done
"$root/demo/make-carrier.sh" "$tmp/voices/voice0.wav" "$tmp/pad.wav"
render=$build/ostraquelle-render
batch_args=(-q --carrier "$tmp/pad.wav" --out-dir "$tmp/batch")
[ -n "$jobs" ] && batch_args+=(--jobs "$jobs")

median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
wall() { { TIMEFORMAT=%6R; time "$@" >/dev/null; } 2>&1; }
loop() {
  local voice
  for voice in "$tmp"/voices/*.wav; do
    "$render" -q --carrier "$tmp/pad.wav" --modulator "$voice" -o "$tmp/loop/${voice##*/}"
  done
}

# Untimed first runs: programs, libraries and inputs come from the page cache afterwards.
"$render" "${batch_args[@]}" "$tmp"/voices/*.wav
loop
: > "$tmp/batch.times"
: > "$tmp/loop.times"
for ((r = 0; r < runs; r++)); do
  wall "$render" "${batch_args[@]}" "$tmp"/voices/*.wav >> "$tmp/batch.times"
  wall loop >> "$tmp/loop.times"
done
for voice in "$tmp"/voices/*.wav; do
  cmp -s <(sox -V1 "$tmp/batch/${voice##*/}" -t raw -e floating-point -b 32 -) \
      <(sox -V1 "$tmp/loop/${voice##*/}" -t raw -e floating-point -b 32 -) ||
    { echo "batch-throughput: ${voice##*/} differs between batch and loop" >&2; exit 1; }
done
batch=$(median < "$tmp/batch.times")
single=$(median < "$tmp/loop.times")
awk -v b="$batch" -v l="$single" -v n="$files" -v s="$seconds" -v cores="$(nproc)" -v jobs="${jobs:-$(nproc)}" 'BEGIN {
  printf "batch (%d workers): %.3f s, %.2f files/s, %.1f audio s per wall s\n", jobs, b, n / b, n * s / b
  printf "loop of single renders: %.3f s, %.2f files/s, %.1f audio s per wall s\n", l, n / l, n * s / l
  printf "batch / loop throughput %.2f on %d cores; the loop pays %.4f s per file beyond the batch\n", l / b, cores, (l - b) / n
}'
