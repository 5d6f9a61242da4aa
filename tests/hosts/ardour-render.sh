#!/usr/bin/env bash
# Renders a stereo file (left carrier, right modulator) through a Linux VST 2.x build of
# Ostraquelle in Ardour 7, headless: ardour7-lua builds a session on the Dummy backend with one
# stereo track that plays the file through the plug-in, and ardour7-export writes the master bus
# as 32-bit float WAV. With the LV2 bundle's folder instead of the .so, the track carries the
# bundle's plug-in named by OSTRAQUELLE_LV2_URI (default: the Stereo one).
#   usage: ardour-render.sh PLUGIN.so|Ostraquelle.lv2 INPUT.wav OUTPUT.wav WORK_DIR [ACTION ...]
# ACTION: "INDEX=VALUE" sets a parameter (normalised), "p=N" loads program N; in order. For
# LV2, "N=VALUE" sets the N-th control port (from 0) in its own units.
# Everything Ardour writes (configuration, scanner cache, session, logs) stays in WORK_DIR.
# Exit status 0 with OUTPUT written, 1 with one line on stderr saying what failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
plugin=$1 input=$2 output=$3 work=$4
shift 4

fail() { echo "ardour-render: $*" >&2; exit 1; }
# Each step has a hard limit: a host that hangs must fail the test, not stall CI.
step() {
  local name=$1 limit=$2; shift 2
  timeout -k 5 "$limit" "$@" >"$work/$name.log" 2>&1
  local status=$?
  [ $status -eq 0 ] && return 0
  [ $status -eq 124 ] && fail "$name timed out after ${limit}s (log: $work/$name.log)"
  local reason
  reason=$(grep -E '^Error:|^exception:|\[ERROR\]' "$work/$name.log" | head -n 1)
  fail "$name failed with status $status: ${reason:-see $work/$name.log}"
}

[ -e "$plugin" ] || fail "no plug-in at $plugin"
rm -rf "$work"
mkdir -p "$work/home" "$work/lxvst" "$work/lv2" "$work/none"
lv2=()
if [ -d "$plugin" ]; then
  ln -s "$(cd "$plugin" && pwd)" "$work/lv2/Ostraquelle.lv2"
  lv2=("lv2=${OSTRAQUELLE_LV2_URI:-urn:valtrisk:ostraquelle:stereo}")
else
  cp "$plugin" "$work/lxvst/Ostraquelle.so"
fi
# A private HOME and plug-in paths: Ardour sees this plug-in and no other, and leaves the
# user's own configuration alone.
export HOME="$work/home" LXVST_PATH="$work/lxvst" LADSPA_PATH="$work/none" \
       LV2_PATH="$work/lv2" VST3_PATH="$work/none"
unset DISPLAY

frames=$(soxi -s "$input") || fail "cannot read $input"
rate=$(soxi -r "$input")
[ "$(soxi -c "$input")" = 2 ] || fail "$input is not stereo"
session="$work/session"

step create 60 ardour7-lua "$here/ardour-create-session.lua" "$session" session "$rate"
# Ardour only lists Linux VST plug-ins that its scanner has written into its cache; run
# after Ardour's first start, which would otherwise mark the fresh cache entry outdated.
if [ ${#lv2[@]} = 0 ]; then
  LD_LIBRARY_PATH=/usr/lib/ardour7 step scan 60 \
    /usr/lib/ardour7/ardour-vst-scanner -f "$work/lxvst/Ostraquelle.so"
fi
step place 60 python3 "$here/ardour-place-input.py" "$session" session "$input" "$frames" "$rate"
step insert 60 ardour7-lua "$here/ardour-insert-plugin.lua" "$session" session "${lv2[@]}" "$@"
# The exporter writes the dry signal, with status 0, when the plug-in is missing: check first,
# by loading the saved session the same way.
step check 60 ardour7-lua "$here/ardour-check-plugin.lua" "$session" session
grep -h '^Ostraquelle active' "$work/check.log"
# Ardour 7.3's exporter sometimes aborts in its own clean-up after "Done." (a double free in
# PortExportChannel, as often without any plug-in in the session), and on a busy machine its
# export of a session now and then waits forever before the first block, with the Linux VST
# and the LV2 plug-in alike (the same session exports in seconds the next time): try it up to
# three times, 60 s each.
for attempt in 1 2 3; do
  rm -f "$output"
  timeout -k 5 60 ardour7-export -b float -o "$output" "$session" session >"$work/export.log" 2>&1
  status=$?
  [ $status -eq 0 ] && break
  [ $status -eq 124 ] && status="124 (timed out after 60 s)"
  echo "ardour-render: ardour7-export attempt $attempt ended with status $status" >&2
done
[ "$status" = 0 ] || fail "export failed three times (last status $status, log: $work/export.log)"
[ -s "$output" ] || fail "ardour7-export wrote no file (log: $work/export.log)"
