#!/usr/bin/env bash
# The demo in one command: installs what is missing, builds the native plug-in and the offline
# renderer, vocodes the spoken demo/modulator.wav with a sawtooth pad, and writes the result
# with spectrograms of modulator, carrier and result to out/demo/, and screenshots of the
# editor panel drawn by the Windows DLL under wine and by the Linux plug-in in an X11 window.
#   OSTRAQUELLE_EMULATE_32BIT=1  as on a machine that runs 32-bit programs only emulated
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

if [ -z "${OSTRAQUELLE_IN_EMULATION:-}" ]; then
  bash scripts/setup.sh
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

for name in modulator carrier vocoded; do
  sox -V1 "$out/$name.wav" -n spectrogram -x 1200 -y 513 -z 90 -t "$name" \
      -o "$out/$name.png"
done

# The editor panel as a host shows it, drawn by the real DLL under wine on a virtual display:
# the 32-bit product where this machine runs 32-bit programs natively, otherwise the 64-bit
# DLL (the same panel from the same code), since wine32 under emulation takes minutes to start.
i386_state=$(bash scripts/i386.sh probe)
case $i386_state in
  native:*) arch=win32 toolchain=cmake/mingw32.cmake ;;
  *) arch=win64 toolchain=cmake/mingw64.cmake ;;
esac
cmake -S . -B "build/$arch" -DCMAKE_TOOLCHAIN_FILE=$toolchain -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "build/$arch" -j2 --target Ostraquelle host_editor_session >/dev/null
scripts/wine-run.sh "$root/build/$arch/wineprefix" "$arch" "build/$arch/tests/host_editor_session.exe" \
  "build/$arch/Ostraquelle.dll" --screenshot "$out/editor.png" >/dev/null
if [ "$arch" = win32 ]; then
  drawn_by="the 32-bit Ostraquelle.dll under wine"
else
  drawn_by="the 64-bit Ostraquelle.dll under wine64: 32-bit programs ${i386_state%%:*} here"
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
echo "         $root/$out/editor.png   (the editor panel, drawn by $drawn_by)"
echo "         $root/$out/editor-linux.png   (the same panel, drawn by Ostraquelle.so in an X11 window)"
