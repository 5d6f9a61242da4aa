#!/usr/bin/env bash
# The demo in one command: installs what is missing (only what the demo uses), builds the
# native plug-in and the offline renderer, vocodes the spoken demo/modulator.wav with a sawtooth
# pad, and writes the result with spectrograms of modulator, carrier and result to out/demo/,
# and a screenshot of the editor panel drawn by the Linux plug-in in an X11 window. The same
# panel drawn by the Windows DLL under wine is added where a wine prefix of this tree is
# already booted, or on request (booting one takes minutes where 32-bit programs are emulated).
#   scripts/demo.sh [--windows-screenshot]
#   OSTRAQUELLE_EMULATE_32BIT=1  as on a machine that runs 32-bit programs only emulated
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

windows_requested=0
for argument in "$@"; do
  case $argument in
    --windows-screenshot) windows_requested=1 ;;
    *) echo "usage: $0 [--windows-screenshot]" >&2; exit 2 ;;
  esac
done

# The Windows DLL to draw the panel: the 32-bit product where this machine runs 32-bit programs
# natively, otherwise the 64-bit DLL (the same panel from the same code).
windows_arch() {
  case $(bash scripts/i386.sh probe) in
    native:*) echo win32 ;;
    *) echo win64 ;;
  esac
}
booted_prefix() { [ -f "build/$1/wineprefix/system.reg" ]; }
windows=0
if [ "$windows_requested" = 1 ]; then
  windows=1
elif command -v wine >/dev/null && booted_prefix "$(windows_arch)"; then
  windows=1
fi

if [ -z "${OSTRAQUELLE_IN_EMULATION:-}" ]; then
  if [ "$windows" = 1 ]; then bash scripts/setup.sh --for demo --for windows; else bash scripts/setup.sh --for demo; fi
  if [ "${OSTRAQUELLE_EMULATE_32BIT:-0}" = 1 ]; then
    exec bash scripts/i386.sh run-emulated bash "$0" "$@"
  fi
fi
cmake -S . -B build/linux -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/linux -j2 --target Ostraquelle ostraquelle-render ostraquelle-articulation \
  host_editor_x11

out=out/demo
mkdir -p "$out"
cp demo/modulator.wav "$out/modulator.wav"
bash demo/make-carrier.sh demo/modulator.wav "$out/carrier.wav"

# Whitening flattens the pad's own spectrum so that only the voice's formants colour it; the
# main volume brings the peak near -1 dBFS.
echo
build/linux/ostraquelle-render --carrier "$out/carrier.wav" --modulator "$out/modulator.wav" \
  --set Whiten=1 --set "main Vol=0.65" -o "$out/vocoded.wav"
build/linux/ostraquelle-articulation "$out/modulator.wav" "$out/carrier.wav" "$out/vocoded.wav"

# The factory bank's "Clear Speech" beside the defaults, at the levels a user's files often have.
echo
bash demo/factory-preset.sh "$out"

for name in modulator carrier vocoded; do
  sox -V1 "$out/$name.wav" -n spectrogram -x 1200 -y 513 -z 90 -t "$name" \
      -o "$out/$name.png"
done

# The editor panel as a host shows it, drawn by the real DLL under wine on a virtual display.
if [ "$windows" = 1 ]; then
  arch=$(windows_arch)
  toolchain=cmake/mingw${arch#win}.cmake
  cmake -S . -B "build/$arch" -DCMAKE_TOOLCHAIN_FILE=$toolchain -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "build/$arch" -j2 --target Ostraquelle host_editor_session >/dev/null
  scripts/wine-run.sh "$root/build/$arch/wineprefix" "$arch" "build/$arch/tests/host_editor_session.exe" \
    "build/$arch/Ostraquelle.dll" --screenshot "$out/editor.png" >/dev/null
  if [ "$arch" = win32 ]; then
    drawn_by="the 32-bit Ostraquelle.dll under wine"
  else
    drawn_by="the 64-bit Ostraquelle.dll under wine64"
  fi
fi

# The same panel from Ostraquelle.so in an X11 host window on a virtual display.
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" \
  build/linux/tests/host_editor_x11 build/linux/Ostraquelle.so --resources resources \
  --screenshot "$out/editor-linux.png" >/dev/null

echo
echo "Listen:  $root/$out/vocoded.wav   (modulator.wav and carrier.wav beside it)"
echo "Look:    $root/$out/modulator.png"
echo "         $root/$out/carrier.png"
echo "         $root/$out/vocoded.png"
if [ "$windows" = 1 ]; then
  echo "         $root/$out/editor.png   (the editor panel, drawn by $drawn_by)"
fi
echo "         $root/$out/editor-linux.png   (the panel, drawn by Ostraquelle.so in an X11 window)"
if [ "$windows" = 0 ]; then
  echo "The Windows DLL's screenshot is taken only where a wine prefix of this tree is booted"
  echo "(after the tests ran) or with: bash scripts/demo.sh --windows-screenshot"
fi
