#!/usr/bin/env bash
# What a host loads of the bundle's binary: it exports only lv2_descriptor, needs nothing but
# the C and C++ runtime, and holds none of the panel's code (no editor, toolkit, graphics or
# X11 symbol): the DSP binary stays free of the GUI.
#   binary.sh BINARY
set -u
binary=${1:-}
fail() { echo "FAIL: $*"; exit 1; }
[ -n "$binary" ] || { echo "skipped: no LV2 bundle in this build (LV2 headers missing: Debian package lv2-dev)"; exit 77; }
for tool in nm readelf c++filt; do command -v $tool >/dev/null || fail "no $tool"; done
[ -s "$binary" ] || fail "no $binary"

exports=$(nm -D --defined-only "$binary" | awk '$2 ~ /^[TtWiDdBbRr]$/ {print $3}' | sort | tr '\n' ' ')
[ "$exports" = "lv2_descriptor " ] || fail "exports are '$exports'"
needed=$(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
allowed='^(libc|libm|libstdc\+\+|libgcc_s|ld-linux-x86-64)\.so'
for library in $needed; do
  [[ $library =~ $allowed ]] || fail "needs a library beyond the C and C++ runtime: $library"
done
# All symbols, local ones too (the binary is not stripped).
gui=$(nm -C "$binary" | grep -E 'VocoderEditor|GuiEditor|Frame::|DrawContext|Bitmap|X11|XOpenDisplay|Knob' | head -n 3)
[ -z "$gui" ] || fail "holds panel code: $gui"
[ "$(nm -C "$binary" | grep -c 'VocoderCore::process')" -gt 0 ] || fail "no VocoderCore in $binary (stripped?)"
echo "exports: $exports; needs: $needed; no panel code"
