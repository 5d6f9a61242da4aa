#!/usr/bin/env bash
# Sets up the machine, builds all three targets and runs every test:
#   build/linux  native plug-in (Ostraquelle.so), tools, unit tests
#   build/win32  the product, Ostraquelle.dll (32-bit), its tests under wine
#   build/win64  Ostraquelle.dll (64-bit), its tests under wine64
#
#   test.sh                  everything; the 32-bit tests as this machine allows (below)
#   test.sh --native         the Linux build only: quick edit-and-test cycles
#   test.sh --emulate-32bit  run the 32-bit tests through qemu even where the kernel runs them
#                            (in a namespace of this run's own; the machine is left as it was)
#   test.sh --full-32bit     under emulation, the whole 32-bit suite instead of the subset
#   test.sh --no-sanitize    leave out the checking run (scripts/sanitize.sh: a clang tree with
#                            AddressSanitizer and UndefinedBehaviorSanitizer, and fuzzing)
# The same switches as environment variables: OSTRAQUELLE_EMULATE_32BIT=1,
# OSTRAQUELLE_FULL_32BIT=1.
#
# 32-bit programs: where the kernel runs them, the 32-bit suite runs in full. Where it does
# not, scripts/setup.sh registers qemu for them, the 32-bit programs run in a 64-bit wine prefix
# (scripts/wine-run.sh) and the 32-bit build runs a representative subset (every emulated wine
# process costs about a minute); where even that is impossible the 32-bit tests are skipped.
# The output says which, and why.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

native_only=0 sanitize=1
for arg in "$@"; do
  case $arg in
    --native) native_only=1 sanitize=0 ;;
    --no-sanitize) sanitize=0 ;;
    --emulate-32bit) export OSTRAQUELLE_EMULATE_32BIT=1 ;;
    --full-32bit) export OSTRAQUELLE_FULL_32BIT=1 ;;
    *) echo "usage: $0 [--native] [--emulate-32bit] [--full-32bit] [--no-sanitize]" >&2; exit 2 ;;
  esac
done

# The emulated path runs this script again inside a namespace of its own (set-up done first:
# package installs need the real root).
if [ -z "${OSTRAQUELLE_IN_EMULATION:-}" ]; then
  bash scripts/setup.sh || { echo "setup failed" >&2; exit 1; }
  if [ "$native_only" -eq 0 ] && [ "${OSTRAQUELLE_EMULATE_32BIT:-0}" = 1 ]; then
    echo "32-bit programs: emulation forced (--emulate-32bit)"
    exec bash scripts/i386.sh run-emulated bash "$0" "$@"
  fi
fi

# The 32-bit tests that run under emulation unless --full-32bit: the effect record and
# dispatcher as a host sees them, the audio that must equal the other builds' bit for bit,
# and the editor driven with a real mouse; plus the checks that need no wine at all.
subset_32bit='^(host_record_check|host_render_exactness|script_editor_e2e|script_exports_and_imports|script_dll_resources)$'

i386_state=$(bash scripts/i386.sh probe)
export OSTRAQUELLE_I386=${i386_state%%:*}
export OSTRAQUELLE_I386_REASON=${i386_state#*: }
if [ "$native_only" -eq 1 ]; then
  builds=(linux)
else
  builds=(win32 win64 linux)
  echo "32-bit programs: $i386_state"
fi

configure_and_build() {
  local name=$1; shift
  cmake -S . -B "build/$name" -DCMAKE_BUILD_TYPE=Release "$@" >"build/$name.configure.log" 2>&1 ||
    { cat "build/$name.configure.log"; return 1; }
  # The build's own status decides (under pipefail a filtered pipe's status hid a failed link).
  local status=0
  cmake --build "build/$name" -j"$(nproc)" >"build/$name.build.log" 2>&1 || status=$?
  grep -E 'error|warning:|Error|undefined reference' "build/$name.build.log" | head -n 60
  if [ "$status" -ne 0 ]; then
    echo "the $name build failed (status $status; the whole log: build/$name.build.log)" >&2
    return 1
  fi
}

mkdir -p build
for name in "${builds[@]}"; do
  case $name in
    win32) configure_and_build win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake || exit 1 ;;
    win64) configure_and_build win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake || exit 1 ;;
    linux) configure_and_build linux || exit 1 ;;
  esac
done

wineserver_all_kill() {
  local prefix
  for prefix in "$root"/build/win*/wineprefix*; do
    [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
  done
  return 0
}

# One virtual display for everything that opens a window (wine, xdotool).
if [ "$native_only" -eq 0 ] && [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 110); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
  done
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null; wineserver_all_kill' EXIT
  export DISPLAY=$display
  sleep 1
fi

passed=0 failed=0 skipped=0 notes=()
count() {
  local log=$1 p f s
  p=$(grep -cE 'Test +#[0-9]+: .* Passed' "$log")
  f=$(grep -cE 'Test +#[0-9]+: .*\*\*\*(Failed|Exception|Timeout|Not Run)' "$log")
  s=$(grep -cE 'Test +#[0-9]+: .*\*\*\*Skipped' "$log")
  passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
}

# The Windows builds first: the native run compares their rendered audio with its own.
for name in "${builds[@]}"; do
  log=build/$name.ctest.log
  args=(--test-dir "build/$name" --output-on-failure --timeout 600)
  if [ "$name" = win32 ]; then
    case $OSTRAQUELLE_I386 in
      none)
        n=$(ctest --test-dir build/win32 -N | sed -n 's/^Total Tests: //p')
        echo "== tests: win32: all ${n:-?} skipped: $OSTRAQUELLE_I386_REASON"
        skipped=$((skipped + ${n:-0}))
        notes+=("${n:-?} 32-bit tests skipped: $OSTRAQUELLE_I386_REASON")
        continue
        ;;
      emulated)
        # The prefix is booted before the tests, so that its minutes do not count against the
        # first test's time limit. A prefix that cannot be made says nothing about the
        # plug-in: the 32-bit tests are then skipped, with the reason, rather than failed.
        if ! boot=$(bash scripts/wine-run.sh "$root/build/win32/wineprefix" win32 --boot-only 2>&1); then
          n=$(ctest --test-dir build/win32 -N | sed -n 's/^Total Tests: //p')
          echo "$boot"
          echo "== tests: win32: all ${n:-?} skipped: no wine prefix for the emulated 32-bit programs"
          skipped=$((skipped + ${n:-0}))
          notes+=("${n:-?} 32-bit tests skipped, wine32 under emulation: $(grep -m1 -o 'cannot create.*' <<<"$boot")")
          continue
        fi
        args=(--test-dir build/win32 --output-on-failure --timeout 900)
        if [ "${OSTRAQUELLE_FULL_32BIT:-0}" != 1 ]; then
          args+=(-R "$subset_32bit")
          n=$(ctest --test-dir build/win32 -N | sed -n 's/^Total Tests: //p')
          m=$(ctest --test-dir build/win32 -N -R "$subset_32bit" | sed -n 's/^Total Tests: //p')
          echo "== tests: win32 (emulated): the subset of $m of $n tests; --full-32bit runs all"
          notes+=("32-bit tests emulated: subset of $m of $n ($(echo "$subset_32bit" | tr -d '^$()' | tr '|' ' '))")
        else
          echo "== tests: win32 (emulated): all tests"
          notes+=("32-bit tests emulated: all")
        fi
        ;;
      *) echo "== tests: win32 (native)" ;;
    esac
  else
    echo "== tests: $name"
  fi
  ctest "${args[@]}" | tee "$log"
  count "$log"
done
[ "$native_only" -eq 0 ] && wineserver_all_kill

# The checking run counts as one test: every unit test and the validator under the sanitizers,
# and a bounded fuzzing run.
if [ "$sanitize" -eq 1 ]; then
  echo "== checking run: scripts/sanitize.sh"
  if bash scripts/sanitize.sh >build/sanitize.log 2>&1; then
    grep -E '^== |tests passed|passed, [0-9]+ failed|^Done' build/sanitize.log
    passed=$((passed + 1))
  else
    tail -n 80 build/sanitize.log
    echo "checking run FAILED (whole log: build/sanitize.log)"
    failed=$((failed + 1))
  fi
fi

for note in "${notes[@]}"; do echo "note: $note"; done
echo "total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
