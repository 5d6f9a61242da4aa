#!/usr/bin/env bash
# LMMS 1.2 renders through the 32-bit DLL exactly what ostraquelle-render does natively: for
# each setting, both channels of LMMS's output equal the renderer's mix output within 1e-6 of
# its peak over the whole input, from the first frame (LMMS renders on to the end of a bar).
#   usage: lmms-test.sh SOURCE_DIR RENDER WORK_DIR DLL [DLL ...]
# The first DLL path that exists is used (the win32 build beside this one). Exit 77 (skipped,
# with the reason) where 32-bit programs cannot run, only run emulated (unless
# OSTRAQUELLE_FULL_32BIT=1), or LMMS or the DLL is missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$1 render=$2 work=$3
shift 3

skip() { echo "skipped: $*"; exit 77; }
case "${OSTRAQUELLE_I386:-native}" in
  none)
    skip "this machine cannot run 32-bit x86 programs (${OSTRAQUELLE_I386_REASON:-OSTRAQUELLE_I386=none}); LMMS hosts the 32-bit DLL in a 32-bit wine process" ;;
  emulated)
    [ "${OSTRAQUELLE_FULL_32BIT:-0}" = 1 ] ||
      skip "32-bit programs run only under emulation here (${OSTRAQUELLE_I386_REASON:-OSTRAQUELLE_I386=emulated}); LMMS and wine under qemu are far too slow for CI (OSTRAQUELLE_FULL_32BIT=1 runs it anyway)" ;;
esac
command -v lmms >/dev/null ||
  skip "LMMS is not installed (Debian packages lmms:i386 and lmms-vst-server:i386, scripts/packages/hosts.list)"
[ -x /usr/lib/i386-linux-gnu/lmms/RemoteVstPlugin ] ||
  skip "LMMS's VST server is not installed (Debian package lmms-vst-server:i386)"
dll=
for candidate in "$@"; do
  if [ -f "$candidate" ]; then dll=$candidate; break; fi
done
[ -n "$dll" ] || skip "no 32-bit DLL built (looked for: $*); build the win32 tree first"

# LMMS and wine need a display: use the caller's, or a virtual one for this run.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$source_dir" "$render" "$work" "$dll"
fi

rm -rf "$work"
mkdir -p "$work"
for rate in 44100 48000; do
  bash "$here/make-input.sh" "$source_dir" "$work/input-$rate.wav" "$rate" || exit 1
done
export OSTRAQUELLE_LMMS_WINEPREFIX="$work/wineprefix"
trap 'WINEPREFIX="$OSTRAQUELLE_LMMS_WINEPREFIX" wineserver -k 2>/dev/null' EXIT

# name | sample rate | settings in LMMS (p=PROGRAM first, INDEX=VALUE) | the same for ostraquelle-render
cases=(
  "defaults|44100||"
  "whitening and other orders|44100|14=1 15=0.4 7=0.1 16=0.3 12=0.3|--set Whiten=1 --set White-Order=0.4 --set Pred-Order=0.1 --set White-Learn=0.3 --set Env-Rel=0.3"
  "program 3 with edits|44100|p=3 14=1 11=0.4|--program 3 --set Whiten=1 --set Env-Att=0.4"
  "48 kHz, other envelope times|48000|11=0.4 12=0.3|--set Env-Att=0.4 --set Env-Rel=0.3"
)
failed=0
n=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name rate actions options <<<"$entry"
  n=$((n + 1))
  # OSTRAQUELLE_HOST_CASES=N runs only the first N cases.
  [ "$n" -gt "${OSTRAQUELLE_HOST_CASES:-${#cases[@]}}" ] && break
  dir="$work/case$n"
  mkdir -p "$dir"
  # shellcheck disable=SC2086  # the lists are words by design
  if ! "$render" -q --input "$work/input-$rate.wav" -o "$dir/reference.wav" $options; then
    echo "FAIL $name: ostraquelle-render failed"; failed=1; continue
  fi
  started=$(date +%s.%N)
  # shellcheck disable=SC2086
  if ! bash "$here/lmms-render.sh" "$dll" "$work/input-$rate.wav" "$dir/lmms.wav" "$dir/lmms" $actions; then
    echo "FAIL $name: LMMS did not render"; failed=1; continue
  fi
  seconds=$(echo "$(date +%s.%N) - $started" | bc)
  if figures=$(python3 "$here/compare-wav.py" --host-renders-on "$dir/lmms.wav" "$dir/reference.wav" "$work/input-$rate.wav"); then
    echo "ok   $name: $figures; LMMS took ${seconds%???????}s"
  else
    echo "FAIL $name: $figures"; failed=1
  fi
done
exit $failed
