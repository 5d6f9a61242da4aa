#!/usr/bin/env bash
# The factory bank presets/Ostraquelle-factory.fxb: the renderer loads it and saves it back
# byte for byte, its eight programs carry the names of tools/tuning/presets.py in order, and
# every program, with the demo's voice at -3 dBFS peak and a sawtooth pad at -6 dBFS, gives a
# finite, measurable output that peaks at or below -1 dBFS.
#   factory_bank.sh <build dir> <source dir> <platform> <plug-in>
# Native build with the tools only (exit 77 otherwise).
set -uo pipefail
build=$1 source_dir=$2 platform=$3
# shellcheck source=lib/expect.sh
source "$source_dir/tests/scripts/lib/expect.sh"

[ "$platform" = native ] || { echo "checked by the native build"; exit 77; }
render=$build/ostraquelle-render measure=$build/ostraquelle-articulation
[ -x "$render" ] && [ -x "$measure" ] || { echo "no renderer in $build"; exit 77; }
command -v sox >/dev/null || { echo "sox is missing"; exit 77; }
bank=$source_dir/presets/Ostraquelle-factory.fxb
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$render" --preset "$bank" --save-bank "$tmp/copy.fxb" 2>"$tmp/err"
expect "the bank loads and saves back unchanged" "$(cmp -s "$bank" "$tmp/copy.fxb" && echo same)" same

mapfile -t expected < <(python3 -c "
import sys; sys.path.insert(0, '$source_dir/tools/tuning')
from presets import PRESETS
print('\n'.join(p['name'] for p in PRESETS))")
expect "presets.py names eight programs" "${#expected[@]}" 8

sox -V1 "$source_dir/demo/modulator.wav" -b 32 -e float "$tmp/voice.wav" trim 0 4 gain -n -3
bash "$source_dir/demo/make-carrier.sh" "$tmp/voice.wav" "$tmp/pad.wav"
sox -V1 "$tmp/pad.wav" "$tmp/carrier.wav" gain -n -6
for n in 0 1 2 3 4 5 6 7; do
  name=$("$render" --preset "$bank" --program $n --list-params | sed -n '1s/.*program [0-9]* "\(.*\)"$/\1/p')
  expect "program $n is named \"${expected[$n]}\"" "$name" "${expected[$n]}"
  "$render" -q --preset "$bank" --program $n --carrier "$tmp/carrier.wav" \
    --modulator "$tmp/voice.wav" -o "$tmp/out$n.wav"
  read -r _ _ _ _ _ peak _ < <("$measure" --scores "$tmp/voice.wav" "$tmp/out$n.wav" 2>&1)
  expect "program $n: a measurable output at most -1 dBFS (peak $peak)" \
    "$(awk -v p="${peak:-nan}" 'BEGIN { print (p != "nan" && p + 0 <= -1.0) ? "ok" : "no" }')" ok
done
finish
