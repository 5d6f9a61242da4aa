#!/usr/bin/env bash
# The checking run: a clang tree with AddressSanitizer and UndefinedBehaviorSanitizer
# (float-cast-overflow included, every report fatal) runs every unit test, the LV2 torture,
# the X11 editor tests, the validator's suites 1-6 against the sanitized plug-in, and the libFuzzer target
# over dispatcher and parameter sequences for a bounded time. With --tsan, a ThreadSanitizer tree then runs the
# validator's threads and editor suites.
#   scripts/sanitize.sh [--fuzz-seconds N] [--thread-seconds S] [--tsan] [--jobs N]
# Build trees: build/asan and build/tsan. Exit status 0 only when everything ran clean.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=60 thread_seconds=10 tsan=0 jobs=2
while [ $# -gt 0 ]; do
  case $1 in
    --fuzz-seconds) fuzz_seconds=$2; shift 2 ;;
    --thread-seconds) thread_seconds=$2; shift 2 ;;
    --tsan) tsan=1; shift ;;
    --jobs) jobs=$2; shift 2 ;;
    *) echo "usage: $0 [--fuzz-seconds N] [--thread-seconds S] [--tsan] [--jobs N]" >&2; exit 2 ;;
  esac
done
command -v clang++ >/dev/null || { echo "sanitize: clang++ missing (scripts/packages/sanitizers.list)"; exit 1; }

start=$(date +%s)
step() { echo "== $* ($(( $(date +%s) - start )) s)"; }
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:alloc_dealloc_mismatch=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

step "configure and build build/asan"
CC=clang CXX=clang++ cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug \
  -DOSTRAQUELLE_SANITIZE=address,undefined,float-cast-overflow -DOSTRAQUELLE_FUZZ=ON >/dev/null
cmake --build build/asan -j"$jobs" >/dev/null

step "unit tests"
ctest --test-dir build/asan -R '^unit_' --output-on-failure

step "the LV2 bundle's binary through its entry, its UI opened and closed, its generator on bad banks (skipped without the LV2 headers)"
ctest --test-dir build/asan -R '^(lv2_torture|lv2_binary|lv2_ui_cycles|lv2_factory_bank_refused)$' --output-on-failure

step "the Linux editor's X11 layer, the plug-in's editor in an X11 host and the hostile-host cases (skipped without Xvfb)"
ctest --test-dir build/asan -R '^(x11_layer|x11_host_safety_.*|host_editor_x11_no_display|script_editor_x11)$' \
  --output-on-failure

step "validator suites 1-6 on the sanitized plug-in"
build/asan/ostraquelle-validate build/asan/Ostraquelle.so --seed 1 --suites 123456 \
  --thread-seconds "$thread_seconds"

step "fuzzing dispatcher and parameter sequences for $fuzz_seconds s"
corpus=build/asan/fuzz-corpus
mkdir -p "$corpus"
fuzz_log=build/asan/fuzz.log
if ! build/asan/tests/fuzz/fuzz_dispatcher -max_total_time="$fuzz_seconds" -max_len=4096 \
     -timeout=20 -print_final_stats=1 -artifact_prefix=build/asan/fuzz- "$corpus" \
     >"$fuzz_log" 2>&1; then
  tail -n 60 "$fuzz_log"
  echo "sanitize: the fuzzer found a fault (input saved as build/asan/fuzz-*)"
  exit 1
fi
grep -E '^(Done|stat::number_of_executed_units)' "$fuzz_log" || true

if [ "$tsan" = 1 ]; then
  step "configure and build build/tsan"
  CC=clang CXX=clang++ cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug \
    -DOSTRAQUELLE_SANITIZE=thread >/dev/null
  cmake --build build/tsan -j"$jobs" --target Ostraquelle ostraquelle_validate >/dev/null
  step "threads and editor suites under ThreadSanitizer"
  TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan-suppressions.txt} \
    build/tsan/ostraquelle-validate build/tsan/Ostraquelle.so --seed 1 --suites 57 \
    --thread-seconds "$thread_seconds"
fi
step "clean"
