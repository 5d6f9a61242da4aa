#!/usr/bin/env bash
# Renders a stereo file (left carrier, right modulator) through the 32-bit Windows DLL of
# Ostraquelle in LMMS 1.2, which hosts Windows VST 2.x plug-ins in a wine process
# (lmms-vst-server): a project with one sample track that plays the file through the plug-in in
# its effect chain, rendered to 32-bit float WAV at the file's rate without oversampling.
#   usage: lmms-render.sh PLUGIN.dll INPUT.wav OUTPUT.wav WORK_DIR [ACTION ...]
# ACTION: "INDEX=VALUE" sets a parameter (normalised), "p=N" selects program N first (LMMS
# applies the program, then every parameter of the project).
# Needs an X display. The wine prefix is $OSTRAQUELLE_LMMS_WINEPREFIX when set (created on
# first use), otherwise one in WORK_DIR. Exit status 0 with OUTPUT written (LMMS renders on to
# the end of a bar: OUTPUT is longer than INPUT), 1 with one line on stderr saying what failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
plugin=$1 input=$2 output=$3 work=$4
shift 4

fail() { echo "lmms-render: $*" >&2; exit 1; }

[ -f "$plugin" ] || fail "no plug-in at $plugin"
[ -n "${DISPLAY:-}" ] || fail "no X display (LMMS and wine need one; run under Xvfb)"
rm -rf "$work"
mkdir -p "$work/home" "$work/vst" "$work/lmms" "$work/xdg"
chmod 700 "$work/xdg"
cp "$plugin" "$work/vst/Ostraquelle.dll"
# A crash in the plug-in must end the wine process, not wait in wine's debugger; no Mono or
# Gecko installer either.
export HOME="$work/home" XDG_RUNTIME_DIR="$work/xdg" WINEDEBUG=-all WINEARCH=win32 \
       WINEPREFIX="${OSTRAQUELLE_LMMS_WINEPREFIX:-$work/wineprefix}" \
       WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

frames=$(soxi -s "$input") || fail "cannot read $input"
rate=$(soxi -r "$input")
[ "$(soxi -c "$input")" = 2 ] || fail "$input is not stereo"
# LMMS 1.2 does not play the end of a sample that falls into its last, partly filled buffer
# period: append silence for it to drop (the comparison covers the input's own frames only).
padding=1024
sox -V1 "$input" -e floating-point -b 32 "$work/input.wav" pad 0 "${padding}s" ||
  fail "cannot prepare the input"

python3 "$here/lmms-project.py" "$work/project.mmp" "$work/input.wav" "$((frames + padding))" "$rate" \
  "$work/vst/Ostraquelle.dll" "$@" || fail "bad settings: $*"
cat >"$work/lmmsrc.xml" <<XML
<?xml version="1.0"?>
<!DOCTYPE lmmsrc>
<lmms version="1.2.2">
  <paths workingdir="$work/lmms/" vstdir="$work/vst/" artwork="" defaultsf2="" gigdir="" sf2dir="" fldir="" laddir=""/>
  <app nomsgaftersetup="1" nommpz="1" configured="1"/>
</lmms>
XML

rm -f "$output"
log="$work/lmms.log"
# A render takes seconds natively; a hang (a plug-in waiting on something) must fail the
# test. Emulated 32-bit programs are tens of times slower.
limit=${OSTRAQUELLE_LMMS_TIMEOUT:-120}
[ "${OSTRAQUELLE_I386:-native}" = emulated ] && limit=${OSTRAQUELLE_LMMS_TIMEOUT:-1200}
# From the work directory: LMMS tries every library in its current directory as a plug-in.
cd "$work" || fail "cannot enter $work"
# -x 1: no oversampling, or the plug-in would run at twice the rate.
timeout -k 10 "$limit" lmms --allowroot -c "$work/lmmsrc.xml" \
  render "$work/project.mmp" -o "$output" -f wav -a -x 1 -s "$rate" >"$log" 2>&1
status=$?
[ $status -eq 124 ] && fail "LMMS did not finish within ${limit}s (log: $log)"
# LMMS exits 0 and writes the dry input when the DLL does not load: its log must show the
# plug-in's shape (2 inputs, 8 outputs) and identity, and no crash.
if grep -qiE 'unhandled exception|page fault|could not (be )?load|failed to load|can.t load|returned NULL|not a VST' "$log"; then
  fail "LMMS could not run the plug-in: $(grep -iE 'unhandled exception|page fault|could not (be )?load|failed to load|can.t load|returned NULL|not a VST' "$log" | head -n 1)"
fi
grep -q 'inputs: 2  output: 8' "$log" || fail "the plug-in was not loaded (no 2-in/8-out effect in $log)"
grep -q 'unique ID: lQsO' "$log" || fail "the loaded plug-in is not Ostraquelle (log: $log)"
[ $status -eq 0 ] || fail "LMMS ended with status $status (log: $log)"
[ -s "$output" ] || fail "LMMS wrote no file (log: $log)"
