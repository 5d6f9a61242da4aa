#!/usr/bin/env bash
# The committed bitmaps are what resources/artwork/generate.py draws today: nobody changed the
# artwork's sources without regenerating, or edited a .bmp by hand.
#   artwork_current.sh <build dir> <source dir> <native|win32> <plug-in>
# Runs in the native build only (the pictures are the same for all), and is skipped (77)
# where the generator's Python imaging library is missing.
set -u
source_dir=$2 platform=$3
fail() { echo "FAIL: $*"; exit 1; }

[ "$platform" = native ] || { echo "checked by the native build"; exit 77; }
python=/usr/bin/python3
"$python" -c "import PIL" 2>/dev/null || { echo "python3-pil is not installed"; exit 77; }

out=$(mktemp -d) || fail "no temporary directory"
trap 'rm -rf "$out"' EXIT
"$python" -B "$source_dir/resources/artwork/generate.py" --out "$out" || fail "generator failed"
status=0
for f in panel.bmp knob.bmp switch.bmp; do
  if cmp -s "$out/$f" "$source_dir/resources/$f"; then
    echo "$f: current"
  else
    echo "FAIL: resources/$f differs from what generate.py draws"; status=1
  fi
done
exit $status
