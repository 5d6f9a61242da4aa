#!/usr/bin/env bash
# The renderer's own overhead. On a 60 s stereo file: whole-process time of ostraquelle-render
# divided by the plug-in's processing time on the same file (bench/engine_on_file: the file in
# memory, only the processing calls timed), printed twice: wall-clock (what a user waits; on a
# busy machine inflated by preemptions) and CPU time (renderer: user + system time of all its
# threads; engine: the processing thread's time). Alternating runs, median of each.
#
# The marginal cost, which is what grows with the input: the same on a 10 min file made of the
# 60 s one, and (whole(10) - whole(1)) / (engine(10) - engine(1)): the renderer's time per
# second of audio against the engine's. What is left of a render at no length is its fixed cost
# per file (whole(1) less 60 s at the marginal rate): the process start, loading the plug-in,
# opening the files, replacing the previous output; a batch pays the start and the loading
# once per worker instead (bench/batch-throughput.sh).
#   render-overhead.sh [BUILD_DIR] [STEREO_FILE] [RUNS]
# Without a file, a 60 s stereo test file is made with sox (left carrier, right modulator); a
# given file stands for the 1 min one, and the long one is it repeated to ten times its length.
#
# A fourth line gives the floor under the 60 s wall-clock ratio on this machine: two costs a
# render pays whatever the renderer does, beside the engine's time. start: `ostraquelle-render
# --version` (the process start of a render, minus opening the files and the plug-in).
# replace: `mv` of a copy of the output over another copy (what the renderer's commit does; the
# filesystem frees the old file's blocks, and on a disk mounted with `discard` waits for the
# discards) minus `mv` of a copy to a new name, both copies synced to disk first.
#
# Fairness: the output goes to a scratch directory inside BUILD_DIR, a disk like the one users
# render to (a temporary directory may be tmpfs, where writing, flushing and renaming cost
# nearly nothing); every timed render replaces the previous run's output, as a re-render does.
# One untimed run of each program comes first, so that no timed run pays for reading the
# programs, libraries and input from disk. The wall time is bash's own timer, from fork to exit:
# reading a clock program (date) before and after would add that program's start-up to it.
set -euo pipefail
build=$(cd "${1:-build/linux}" && pwd)
file=${2:-}
runs=${3:-5}
tmp=$(mktemp -d "$build/render-overhead.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "$file" ]; then
  "$here/make-test-file.sh" "$tmp/stereo.wav" >/dev/null
  file=$tmp/stereo.wav
fi
long=$tmp/long.wav
sox -V1 "$file" "$long" repeat 9

median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
wall() { { TIMEFORMAT=%6R; time "$@" >/dev/null; } 2>&1; }

: > "$tmp/engine"
: > "$tmp/whole"
: > "$tmp/whole_cpu"
: > "$tmp/start"
: > "$tmp/replace"
: > "$tmp/engine_long"
: > "$tmp/whole_long"
"$build/bench/engine_on_file" "$build/Ostraquelle.so" "$file" >/dev/null
"$build/ostraquelle-render" --input "$file" -o "$tmp/out.wav" --quiet
"$build/bench/engine_on_file" "$build/Ostraquelle.so" "$long" >/dev/null
"$build/ostraquelle-render" --input "$long" -o "$tmp/long-out.wav" --quiet
for ((r = 0; r < runs; r++)); do
  "$build/bench/engine_on_file" "$build/Ostraquelle.so" "$long" >> "$tmp/engine_long"
  { TIMEFORMAT='%6R %6U %6S'; time "$build/ostraquelle-render" --input "$long" \
      -o "$tmp/long-out.wav" --quiet; } 2> "$tmp/times"
  awk '{print $1, $2 + $3}' "$tmp/times" >> "$tmp/whole_long"
  "$build/bench/engine_on_file" "$build/Ostraquelle.so" "$file" >> "$tmp/engine"
  # bash's own timer: wall time from the renderer's fork to its exit, and the user and system
  # seconds of all its threads.
  { TIMEFORMAT='%6R %6U %6S'; time "$build/ostraquelle-render" --input "$file" \
      -o "$tmp/out.wav" --quiet; } 2> "$tmp/times"
  awk '{print $1}' "$tmp/times" >> "$tmp/whole"
  awk '{print $2 + $3}' "$tmp/times" >> "$tmp/whole_cpu"
  wall "$build/ostraquelle-render" --version >> "$tmp/start"
  for copy in a b c; do cp "$tmp/out.wav" "$tmp/$copy.wav"; done
  sync "$tmp/a.wav" "$tmp/b.wav" "$tmp/c.wav"
  fresh=$(wall mv -f "$tmp/a.wav" "$tmp/new.wav")
  over=$(wall mv -f "$tmp/b.wav" "$tmp/c.wav")
  rm -f "$tmp/new.wav" "$tmp/c.wav"
  awk -v a="$over" -v b="$fresh" 'BEGIN {print a - b}' >> "$tmp/replace"
done
engine=$(cut -d' ' -f1 "$tmp/engine" | median)
engine_cpu=$(cut -d' ' -f2 "$tmp/engine" | median)
whole=$(median < "$tmp/whole")
whole_cpu=$(median < "$tmp/whole_cpu")
printf 'wall: engine (processing only) %.3f s, renderer (whole process) %.3f s, whole / engine %.3f\n' \
  "$engine" "$whole" "$(awk -v a="$whole" -v b="$engine" 'BEGIN {print a / b}')"
printf 'cpu:  engine (processing only) %.3f s, renderer (whole process) %.3f s, whole / engine %.3f\n' \
  "$engine_cpu" "$whole_cpu" "$(awk -v a="$whole_cpu" -v b="$engine_cpu" 'BEGIN {print a / b}')"
start=$(median < "$tmp/start")
replace=$(median < "$tmp/replace")
printf 'floor: process start %.4f s, replacing the previous output %.4f s, lowest whole / engine these allow %.3f\n' \
  "$start" "$replace" "$(awk -v e="$engine" -v s="$start" -v r="$replace" 'BEGIN {print (e + s + r) / e}')"
engine_long=$(cut -d' ' -f1 "$tmp/engine_long" | median)
engine_long_cpu=$(cut -d' ' -f2 "$tmp/engine_long" | median)
whole_long=$(cut -d' ' -f1 "$tmp/whole_long" | median)
whole_long_cpu=$(cut -d' ' -f2 "$tmp/whole_long" | median)
seconds=$(soxi -D "$file")
long_seconds=$(soxi -D "$long")
# The same two lines for wall-clock and CPU time: on a busy machine the single-threaded
# engine's wall time is inflated by preemptions more than the renderer's three threads', and
# the CPU line is the one to trust.
for kind in wall cpu; do
  if [ "$kind" = wall ]; then
    set -- "$whole" "$whole_long" "$engine" "$engine_long"
  else
    set -- "$whole_cpu" "$whole_long_cpu" "$engine_cpu" "$engine_long_cpu"
  fi
  awk -v kind="$kind" -v w1="$1" -v w10="$2" -v e1="$3" -v e10="$4" \
      -v s1="$seconds" -v s10="$long_seconds" 'BEGIN {
    printf "marginal (%s): %.0f s file engine %.3f s, whole %.3f s; %.0f s file engine %.3f s, whole %.3f s; (whole(long) - whole(short)) / (engine(long) - engine(short)) %.3f\n", kind, s1, e1, w1, s10, e10, w10, (w10 - w1) / (e10 - e1)
    rate = (w10 - w1) / (s10 - s1)
    printf "fixed (%s): %.4f s per file (the whole process at no length, from the two lengths)\n", kind, w1 - rate * s1
  }'
done
