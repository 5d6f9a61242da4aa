#!/usr/bin/env bash
# Sets up the machine, builds all three targets and runs every test:
#   build/linux  native plug-in (Ostraquelle.so), tools, unit tests
#   build/win32  the product, Ostraquelle.dll (32-bit), its tests under wine
#   build/win64  Ostraquelle.dll (64-bit), its tests under wine64
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh || { echo "setup failed" >&2; exit 1; }

configure_and_build() {
  local name=$1; shift
  cmake -S . -B "build/$name" -DCMAKE_BUILD_TYPE=Release "$@" >"build/$name.configure.log" 2>&1 ||
    { cat "build/$name.configure.log"; return 1; }
  cmake --build "build/$name" -j"$(nproc)" 2>&1 | grep -E 'error|warning:|Error' || true
  [ "${PIPESTATUS[0]}" -eq 0 ]
}

mkdir -p build
configure_and_build win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake || exit 1
configure_and_build win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake || exit 1
configure_and_build linux || exit 1

# One virtual display for everything that opens a window (wine, xdotool).
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 110); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
  done
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null; wineserver_all_kill' EXIT
  export DISPLAY=$display
  sleep 1
fi
wineserver_all_kill() {
  for arch in win32 win64; do
    WINEPREFIX="$root/build/$arch/wineprefix" wineserver -k 2>/dev/null || true
  done
}

passed=0 failed=0 skipped=0
# The Windows builds first: the native run compares their rendered audio with its own.
for name in win32 win64 linux; do
  echo "== tests: $name"
  ctest --test-dir "build/$name" --output-on-failure --timeout 600 | tee "build/$name.ctest.log"
  p=$(grep -cE 'Test +#[0-9]+: .* Passed' "build/$name.ctest.log")
  f=$(grep -cE 'Test +#[0-9]+: .*\*\*\*(Failed|Exception|Timeout|Not Run)' "build/$name.ctest.log")
  s=$(grep -cE 'Test +#[0-9]+: .*\*\*\*Skipped' "build/$name.ctest.log")
  passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
done
wineserver_all_kill

echo "total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
