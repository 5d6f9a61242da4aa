#!/usr/bin/env bash
# What a loader sees of the built plug-in: the entry names it exports and the libraries it
# needs. The Windows DLLs import only system DLLs (libgcc, libstdc++ and winpthread are linked
# in); the Linux .so needs only the C and C++ runtime: libX11 and libfreetype are opened with
# the first editor window, so that a host scanning or rendering loads neither.
#   exports_and_imports.sh <build dir> <source dir> <native|win32> <plug-in>
set -u
platform=$3 plugin=$4
fail() { echo "FAIL: $*"; exit 1; }

if [ "$platform" = native ]; then
  exports=$(nm -D --defined-only "$plugin" | awk '$2 ~ /^[TtWi]$/ {print $3}' | sort | tr '\n' ' ')
  [ "$exports" = "VSTPluginMain main " ] || fail "exports are '$exports'"
  echo "exports: $exports"
  command -v readelf >/dev/null || fail "no readelf"
  needed=$(readelf -d "$plugin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
  [ -n "$needed" ] || fail "no NEEDED entries found"
  allowed='^(libc|libm|libstdc\+\+|libgcc_s|libdl|libpthread|librt|ld-linux-x86-64)\.so'
  for library in $needed; do
    [[ $library =~ $allowed ]] || fail "needs a library beyond the C and C++ runtime: $library"
  done
  echo "needs: $needed"
  exit 0
fi

objdump=
for candidate in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump objdump; do
  command -v "$candidate" >/dev/null && { objdump=$candidate; break; }
done
[ -n "$objdump" ] || fail "no objdump"
dump=$("$objdump" -p "$plugin") || fail "objdump cannot read $plugin"

system='^(kernel32|user32|gdi32|ole32|oleaut32|shell32|msvcrt|advapi32|comdlg32|comctl32|uuid|msimg32|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
imports=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
[ -n "$imports" ] || fail "no imports found"
for dll in $imports; do
  [[ $dll =~ $system ]] || fail "imports a non-system DLL: $dll"
done
echo "imports:" $imports

# The export table: exactly main for the 32-bit product, VSTPluginMain and main for 64-bit.
names=$(printf '%s\n' "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^[ \t]*\[/ {print $NF} t && /^$/ {t=0}' | sort | tr '\n' ' ')
case "$dump" in
  *"pei-i386"*|*"file format pei-i386"*) want="main " ;;
  *) want="VSTPluginMain main " ;;
esac
[ "$names" = "$want" ] || fail "exports are '$names', want '$want'"
echo "exports: $names"
