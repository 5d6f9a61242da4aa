#!/usr/bin/env bash
# Dependencies run one way: every #include of the product's sources names a folder its layer
# may use (the same rule the layer libraries' include roots enforce when compiling, checked
# here on all sources, whatever the build compiles). The signal code also includes nothing
# from the system but the C++ library and the compiler's SIMD intrinsics.
#   layering.sh <build dir> <source dir> <platform> <plug-in>
# Runs in the native build only (the sources are the same for all); skipped (77) without
# the sources.
set -u
source_dir=$2 platform=$3

[ "$platform" = native ] || { echo "checked by the native build"; exit 77; }
[ -d "$source_dir/vocoder" ] || { echo "no sources at $source_dir"; exit 77; }
cd "$source_dir" || exit 1

# folder: the folders its quoted includes may name (the first rule that matches applies).
# The platform layer (graphics/platform/) belongs to the graphics layer.
rules=(
  "vocoder: vocoder"
  "parameters: parameters vocoder"
  "core: core parameters vocoder"
  "host: host"
  "hosting: hosting host"
  "presetfile: presetfile"
  "graphics: graphics resources"
  "toolkit: toolkit graphics"
  "editor: editor toolkit graphics resources parameters"
  "plugin: plugin core editor toolkit graphics resources host parameters vocoder"
  "lv2/ui: lv2 editor toolkit graphics resources parameters core vocoder"
  "lv2: lv2 core parameters vocoder presetfile"
)

status=0
checked=0
while IFS= read -r -d '' file; do
  allowed=
  for rule in "${rules[@]}"; do
    folder=${rule%%:*}
    case $file in "$folder"/*) allowed=${rule#*: }; break ;; esac
  done
  [ -n "$allowed" ] || continue
  checked=$((checked + 1))
  line_number=0
  while IFS= read -r line; do
    line_number=$((line_number + 1))
    [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]*) ]] || continue
    kind=${BASH_REMATCH[1]} name=${BASH_REMATCH[2]}
    if [ "$kind" = '"' ]; then
      ok=0
      for folder in $allowed; do
        case $name in "$folder"/*) ok=1 ;; esac
      done
      if [ $ok = 0 ]; then
        echo "FAIL: $file:$line_number includes \"$name\" (${file%%/*}/ may use: $allowed)"
        status=1
      fi
    elif [[ $file == vocoder/* ]] && ! [[ $name =~ ^[a-z_]+$ || $name =~ ^[a-z]*intrin\.h$ ]]; then
      echo "FAIL: $file:$line_number includes <$name> (vocoder/ uses only the C++ library)"
      status=1
    fi
  done < "$file"
done < <(find vocoder parameters core host hosting graphics toolkit editor plugin lv2 \
           \( -name '*.h' -o -name '*.cpp' \) -print0 2>/dev/null | sort -z)

[ $checked -gt 0 ] || { echo "FAIL: no source files found"; exit 1; }
[ $status = 0 ] && echo "$checked files: every include points down"
exit $status
