#!/usr/bin/env bash
# The demo in one command: installs what is missing, builds the native plug-in and the offline
# renderer, vocodes the spoken demo/modulator.wav with a sawtooth pad, and writes the result
# with spectrograms of modulator, carrier and result to out/demo/, and a screenshot of the
# editor panel drawn by the 32-bit DLL under wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
cmake -S . -B build/linux -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/linux -j2 --target Ostraquelle ostraquelle-render ostraquelle-articulation

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

# The editor panel as a host shows it: the real 32-bit DLL under wine, on a virtual display.
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win32 -j2 --target Ostraquelle host_editor_session >/dev/null
scripts/wine-run.sh "$root/build/win32/wineprefix" win32 build/win32/tests/host_editor_session.exe \
  build/win32/Ostraquelle.dll --screenshot "$out/editor.png" >/dev/null

echo
echo "Listen:  $root/$out/vocoded.wav   (modulator.wav and carrier.wav beside it)"
echo "Look:    $root/$out/modulator.png"
echo "         $root/$out/carrier.png"
echo "         $root/$out/vocoded.png"
echo "         $root/$out/editor.png   (the editor panel, drawn by Ostraquelle.dll under wine)"
