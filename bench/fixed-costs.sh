#!/usr/bin/env bash
# What a render pays on this machine whatever the renderer does, beside the engine's time:
# starting the process with its libraries, and replacing the previous output (the filesystem
# frees the old file's blocks; on a disk mounted with `discard` it waits for the discards).
# Alternating runs, median of each, wall clock. Prints the lowest whole-process / engine ratio
# (render-overhead.sh) these two costs alone allow here.
#   fixed-costs.sh [BUILD_DIR] [STEREO_FILE] [RUNS]
# Without a file, a 60 s stereo test file is made with sox (left carrier, right modulator).
#
# start: `ostraquelle-render --version` (the same process start a render has, minus opening
# the files and the plug-in). replace: moving a file the size of the rendered output over a
# copy of it (what the renderer's commit does) minus moving it to a new name, with `mv`; both
# files are on disk (synced) first, and each pair of moves is timed in one round.
set -euo pipefail
build=$(cd "${1:-build/linux}" && pwd)
file=${2:-}
runs=${3:-7}
tmp=$(mktemp -d "$build/fixed-costs.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "$file" ]; then
  "$here/make-test-file.sh" "$tmp/stereo.wav" >/dev/null
  file=$tmp/stereo.wav
fi
render=$build/ostraquelle-render

median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
wall() { { TIMEFORMAT=%6R; time "$@" >/dev/null; } 2>&1; }

: > "$tmp/engine"
: > "$tmp/start"
: > "$tmp/replace"
# Untimed first runs: programs, libraries and input read from disk once.
"$build/bench/engine_on_file" "$build/Ostraquelle.so" "$file" >/dev/null
"$render" --input "$file" -o "$tmp/previous.wav" --quiet
for ((r = 0; r < runs; r++)); do
  "$build/bench/engine_on_file" "$build/Ostraquelle.so" "$file" | cut -d' ' -f1 >> "$tmp/engine"
  wall "$render" --version >> "$tmp/start"
  cp "$tmp/previous.wav" "$tmp/a.wav"
  cp "$tmp/previous.wav" "$tmp/b.wav"
  cp "$tmp/previous.wav" "$tmp/c.wav"
  sync "$tmp/a.wav" "$tmp/b.wav" "$tmp/c.wav"
  fresh=$(wall mv -f "$tmp/a.wav" "$tmp/new.wav")
  over=$(wall mv -f "$tmp/b.wav" "$tmp/c.wav")
  rm -f "$tmp/new.wav" "$tmp/c.wav"
  awk -v a="$over" -v b="$fresh" 'BEGIN {print a - b}' >> "$tmp/replace"
done
engine=$(median < "$tmp/engine")
start=$(median < "$tmp/start")
replace=$(median < "$tmp/replace")
printf 'engine (processing only) %.4f s, process start %.4f s, replacing the previous output %.4f s\n' \
  "$engine" "$start" "$replace"
printf 'lowest whole / engine these allow: %.3f\n' \
  "$(awk -v e="$engine" -v s="$start" -v r="$replace" 'BEGIN {print (e + s + r) / e}')"
