#!/usr/bin/env bash
# Engine / bound ratios of several engine_vs_bound programs (say, of the tree before a change,
# with this bench/ copied in, and of the tree after it), measured in alternating rounds on this
# machine: each round runs every program once (RUNS runs of SECONDS_OF_AUDIO per setting) and
# takes its last column, the ratio of the fastest runs; the median of the rounds' ratios is
# printed per setting. On a shared machine the level of the ratios moves with the load on the
# other hardware thread from minute to minute; alternating rounds expose the programs to the
# same load, so compare the programs' lines with each other.
#   compare-ratios.sh ROUNDS PASS PROGRAM...
# PASS: two (the SSE2 pass), four (the four-entry pass compiled for AVX) or widest (the widest
# code the processor runs).
# RUNS and SECONDS_OF_AUDIO (default 9 and 0.3) are passed on to each program.
set -euo pipefail
rounds=$1
pass=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for ((r = 0; r < rounds; r++)); do
  i=0
  for program in "$@"; do
    "$program" "${RUNS:-9}" "${SECONDS_OF_AUDIO:-0.3}" "$pass" | tail -n 4 | awk '{print $NF}' > "$tmp/ratios_${i}_$r"
    i=$((i + 1))
  done
done
echo "median engine / bound over $rounds alternating rounds (pass: $pass, where available):"
echo "defaults  201/201+whitening  order16  order1024  program"
i=0
for program in "$@"; do
  for setting in 1 2 3 4; do
    cat "$tmp"/ratios_${i}_* | sed -n "${setting}~4p" | sort -g |
      awk '{v[NR] = $1} END {printf "%-10s ", v[int((NR + 1) / 2)]}'
  done
  echo "$program"
  i=$((i + 1))
done
