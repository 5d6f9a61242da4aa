#!/usr/bin/env bash
# Before/after figures from one run: two build trees (say, of an older commit with this bench/
# copied in, and of the current one) measured in alternating runs on this machine.
#   before-after.sh BEFORE_BUILD AFTER_BUILD [ROUNDS]
# Prints each tree's engine_vs_bound table (the bound is the same code in both, so the ratios
# compare directly), then both renderers' whole-process times on the 60 s test file (median of
# ROUNDS alternating runs) and their ratio, and whether the two renderings are bit-identical.
set -euo pipefail
before=$(cd "$1" && pwd)
after=$(cd "$2" && pwd)
rounds=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for ((r = 0; r < 2; r++)); do
  echo "== before ($before), round $((r + 1))"
  "$before/bench/engine_vs_bound" 9 0.3 | tail -n 4
  echo "== after ($after), round $((r + 1))"
  "$after/bench/engine_vs_bound" 9 0.3 | tail -n 4
done

"$here/make-test-file.sh" "$tmp/stereo.wav" >/dev/null
now() { date +%s.%N; }
median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
for tree in before after; do : > "$tmp/t_$tree"; done
for ((r = 0; r < rounds; r++)); do
  for tree in before after; do
    dir=$before
    [ "$tree" = after ] && dir=$after
    start=$(now)
    "$dir/ostraquelle-render" --input "$tmp/stereo.wav" -o "$tmp/$tree.wav" --quiet
    end=$(now)
    awk -v a="$start" -v b="$end" 'BEGIN {print b - a}' >> "$tmp/t_$tree"
  done
done
b=$(median < "$tmp/t_before")
a=$(median < "$tmp/t_after")
printf 'renderer whole process, 60 s file: before %.3f s, after %.3f s, before / after %.3f\n' \
  "$b" "$a" "$(awk -v a="$b" -v b="$a" 'BEGIN {print a / b}')"
sox -V1 "$tmp/before.wav" -t f32 "$tmp/before.f32"
sox -V1 "$tmp/after.wav" -t f32 "$tmp/after.f32"
if cmp -s "$tmp/before.f32" "$tmp/after.f32"; then
  echo "the two renderings are identical sample for sample"
else
  echo "the two renderings DIFFER"
fi
