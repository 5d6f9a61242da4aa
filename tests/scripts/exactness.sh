#!/usr/bin/env bash
# Compares the raw audio that the render_exactness host wrote in the Linux build with the
# files of the 32-bit and 64-bit Windows builds: all three must be identical byte for byte.
#   exactness.sh <build dir> <source dir> <platform> <plug-in>
# Runs in the native build only (the Windows builds render first). The Windows files are
# looked for in the sibling directories win32 and win64 of the build directory (the layout
# of scripts/test.sh), or in <build dir>-win32 and <build dir>-win64. Exit 77: skipped.
set -uo pipefail
build=$1 platform=$3

if [ "$platform" != native ]; then
  echo "compared in the native build only"
  exit 77
fi

build=$(cd "$build" && pwd)
parent=$(dirname "$build")
linux_file=$build/exactness.raw
if [ ! -s "$linux_file" ]; then
  echo "missing $linux_file: host_render_exactness must run first" >&2
  exit 1
fi

find_windows_file() {
  local arch=$1 candidate
  for candidate in "$parent/$arch/exactness.raw" "$build-$arch/exactness.raw"; do
    if [ -s "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

compared=0 missing=0
for arch in win32 win64; do
  # Where no 32-bit program can run there is no 32-bit rendering to compare: say so and
  # compare the rest, so that the 64-bit DLL is still held to the native build.
  if [ "$arch" = win32 ] && [ "${OSTRAQUELLE_I386:-native}" = none ]; then
    echo "win32 not compared: ${OSTRAQUELLE_I386_REASON:-32-bit programs do not run here}"
    continue
  fi
  if ! other=$(find_windows_file "$arch"); then
    echo "no $arch rendering next to $build"
    missing=$((missing + 1))
    continue
  fi
  if ! cmp "$linux_file" "$other"; then
    echo "FAILED: $other differs from $linux_file ($(stat -c %s "$other") vs $(stat -c %s "$linux_file") bytes)" >&2
    exit 1
  fi
  echo "identical: $linux_file and $other ($(stat -c %s "$other") bytes)"
  compared=$((compared + 1))
done

# Only a comparison with both Windows builds counts as a pass.
if [ "$missing" -gt 0 ]; then
  exit 77
fi
echo "$((compared + 1)) builds rendered identical audio"
exit 0
