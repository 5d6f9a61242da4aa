#!/usr/bin/env bash
# The Windows DLL carries the version resource with its texts and the three bitmaps, byte for
# byte the committed .bmp files (less their 14-byte file header, as resource compilers store them).
#   dll_resources.sh <build dir> <source dir> <native|win32> <plug-in>
# Native builds have no resource section (the bitmaps are embedded as arrays): skipped (77).
set -u
build_dir=$1 source_dir=$2 platform=$3 plugin=$4
fail() { echo "FAIL: $*"; exit 1; }

[ "$platform" = win32 ] || { echo "not a Windows build: nothing to check"; exit 77; }

res=$(mktemp --suffix=.res) || fail "no temporary file"
trap 'rm -f "$res"' EXIT
extracted=no
for windres in i686-w64-mingw32-windres x86_64-w64-mingw32-windres; do
  command -v "$windres" >/dev/null || continue
  if "$windres" -i "$plugin" -O res -o "$res" 2>/dev/null; then extracted=yes; break; fi
done
[ $extracted = yes ] || fail "no windres could read the resources of $plugin"

# The project version (1.0.0 gives 1.0.0.0 and the text "1.0"), written by CMake.
version=$(cat "$build_dir/version.txt" 2>/dev/null) || fail "no $build_dir/version.txt"

python3 - "$res" "$source_dir/resources" "$version" <<'EOF'
import re
import struct
import sys

res_path, bmp_dir = sys.argv[1], sys.argv[2]
major, minor, patch = (int(part) for part in sys.argv[3].split("."))
version_text = "%d.%d" % (major, minor) + ("" if patch == 0 else ".%d" % patch)
data = open(res_path, "rb").read()


def name_or_id(pos):
    """A .res type or name field: 0xFFFF + number, or a UTF-16 string. Returns (value, next)."""
    if struct.unpack_from("<H", data, pos)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    end = pos
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


resources = {}
pos = 0
while pos + 8 <= len(data):
    size, header = struct.unpack_from("<II", data, pos)
    rtype, p = name_or_id(pos + 8)
    rname, _ = name_or_id(p)
    resources[(rtype, rname)] = data[pos + header:pos + header + size]
    pos = (pos + header + size + 3) & ~3

failures = []
RT_BITMAP, RT_VERSION = 2, 16
for rid, name in ((128, "panel.bmp"), (129, "knob.bmp"), (130, "switch.bmp")):
    expected = open("%s/%s" % (bmp_dir, name), "rb").read()[14:]
    found = resources.get((RT_BITMAP, rid))
    if found is None:
        failures.append("bitmap %d is missing" % rid)
    elif found != expected:
        failures.append("bitmap %d differs from %s" % (rid, name))
    else:
        print("bitmap %d: %s, %d bytes" % (rid, name, len(found)))

versions = [v for (t, _), v in resources.items() if t == RT_VERSION]
if len(versions) != 1:
    failures.append("%d version resources" % len(versions))
else:
    info = versions[0]
    fixed = info.find(struct.pack("<I", 0xFEEF04BD))
    if fixed < 0:
        failures.append("no fixed version information")
    else:
        file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", info, fixed + 8)
        ms, ls = major << 16 | minor, patch << 16
        if (file_ms, file_ls, product_ms, product_ls) != (ms, ls, ms, ls):
            failures.append("file/product version is not %d.%d.%d.0" % (major, minor, patch))
    text = info.decode("utf-16-le", errors="replace")
    for key, value in (("CompanyName", "Valtrisk"), ("FileDescription", "VST Plug-In"),
                       ("FileVersion", version_text), ("InternalName", "Ostraquelle"),
                       ("LegalTrademarks", "VST is a trademark of Steinberg Media Technologies"),
                       ("OriginalFilename", "Ostraquelle.dll"), ("ProductVersion", version_text)):
        if not re.search(re.escape(key) + "\0+" + re.escape(value) + "\0", text):
            failures.append("version text %s is not \"%s\"" % (key, value))
        else:
            print("%s: %s" % (key, value))

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
EOF
