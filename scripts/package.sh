#!/usr/bin/env bash
# Builds the release plug-ins and packs them for users:
#   dist/Ostraquelle-<version>-win32.zip, -win64.zip, -linux-x86_64.tar.gz,
#   -lv2-linux-x86_64.tar.gz and dist/SHA256SUMS
# Each archive holds one folder with the plug-in (for LV2 the bundle Ostraquelle.lv2/, built
# in the Linux build directory), INSTALL.txt and the licence. The version is
# the CMake project version. The same commit gives the same bytes: every time stamp is the
# commit's time (or SOURCE_DATE_EPOCH), entries are sorted, owners and permissions are fixed.
#
#   scripts/package.sh [--no-build] [--only "linux lv2 win32 win64"] [--out DIR]
#                      [--linux-build DIR] [--win32-build DIR] [--win64-build DIR]
#
# --no-build packs what the build directories already hold (default: build/linux, build/win32,
# build/win64, the directories scripts/test.sh uses).
set -euo pipefail
umask 022
export LC_ALL=C TZ=UTC

source_dir=$(cd "$(dirname "$0")/.." && pwd)
out=$source_dir/dist
build=yes
targets="linux lv2 win32 win64"
declare -A build_dir=([linux]=$source_dir/build/linux [win32]=$source_dir/build/win32
                      [win64]=$source_dir/build/win64)

fail() { echo "package.sh: $*" >&2; exit 1; }

while [ $# -gt 0 ]; do
  case $1 in
    --no-build) build=no ;;
    --only) targets=${2:?--only needs a list of targets}; shift ;;
    --out) out=${2:?--out needs a directory}; shift ;;
    --linux-build|--win32-build|--win64-build)
      target=${1#--}; target=${target%-build}
      build_dir[$target]=${2:?$1 needs a directory}; shift ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) fail "unknown option '$1' (see --help)" ;;
  esac
  shift
done
for target in $targets; do
  case $target in linux|lv2|win32|win64) ;; *) fail "unknown target '$target' (linux, lv2, win32, win64)" ;; esac
done
# The LV2 bundle comes from the Linux build.
build_dir[lv2]=${build_dir[linux]}

toolchain() {
  case $1 in
    win32) echo "-DCMAKE_TOOLCHAIN_FILE=$source_dir/cmake/mingw32.cmake" ;;
    win64) echo "-DCMAKE_TOOLCHAIN_FILE=$source_dir/cmake/mingw64.cmake" ;;
  esac
}
plugin_file() {
  case $1 in linux) echo Ostraquelle.so ;; lv2) echo Ostraquelle.lv2 ;; *) echo Ostraquelle.dll ;; esac
}
build_target() { [ "$1" = lv2 ] && echo ostraquelle_lv2_bundle || echo Ostraquelle; }
archive_suffix() {
  case $1 in linux) echo linux-x86_64.tar.gz ;; lv2) echo lv2-linux-x86_64.tar.gz ;; *) echo "$1.zip" ;; esac
}
# The bundle's files: its manifest and every file it names (the binaries of the plug-in and its
# panel, the descriptions, both sets of presets).
lv2_files() { echo manifest.ttl; grep -o '<[^:<>]*>' "$1/manifest.ttl" | tr -d '<>' | sort -u; }
install_text() { [ "$1" = lv2 ] && echo "$source_dir/docs/INSTALL-lv2.txt" || echo "$source_dir/docs/INSTALL.txt"; }

if [ $build = yes ]; then
  for target in $targets; do
    echo "package.sh: building $target in ${build_dir[$target]}"
    # shellcheck disable=SC2046
    cmake -S "$source_dir" -B "${build_dir[$target]}" -DCMAKE_BUILD_TYPE=Release \
          $(toolchain "$target") >/dev/null
    cmake --build "${build_dir[$target]}" --target "$(build_target "$target")" -j2 >/dev/null
  done
fi

# The version each build was configured with; all must agree.
version=
for target in $targets; do
  dir=${build_dir[$target]}
  [ -s "$dir/version.txt" ] || fail "$dir has not been configured (no version.txt); run without --no-build"
  [ -s "$dir/$(plugin_file "$target")" ] || fail "no $dir/$(plugin_file "$target"); run without --no-build"
  if [ "$target" = lv2 ]; then
    [ -s "$dir/Ostraquelle.lv2/manifest.ttl" ] || fail "no $dir/Ostraquelle.lv2/manifest.ttl (are the LV2 headers, lv2-dev, installed?)"
    for file in $(lv2_files "$dir/Ostraquelle.lv2"); do
      [ -s "$dir/Ostraquelle.lv2/$file" ] || fail "no $dir/Ostraquelle.lv2/$file (are the LV2 headers, lv2-dev, installed?)"
    done
  fi
  this=$(cat "$dir/version.txt")
  [ -z "$version" ] || [ "$this" = "$version" ] || fail "$dir is version $this, not $version"
  version=$this
done
[ -n "$version" ] || fail "no targets to pack"

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || true)}
epoch=${epoch:-315532800}  # 1980-01-01, the earliest time a zip file can hold

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
mkdir -p "$out"
out=$(cd "$out" && pwd)
archives=()
for target in $targets; do
  archive=Ostraquelle-$version-$(archive_suffix "$target")
  name=${archive%.zip}; name=${name%.tar.gz}
  folder=$staging/$name
  mkdir -p "$folder"
  if [ "$target" = lv2 ]; then
    # The bundle's own files only: nothing else a build may leave there.
    mkdir "$folder/Ostraquelle.lv2"
    for file in $(lv2_files "${build_dir[$target]}/Ostraquelle.lv2"); do
      cp "${build_dir[$target]}/Ostraquelle.lv2/$file" "$folder/Ostraquelle.lv2/"
    done
    chmod 755 "$folder/Ostraquelle.lv2"
    chmod 644 "$folder/Ostraquelle.lv2"/*
    touch -h -d "@$epoch" "$folder/Ostraquelle.lv2"/* "$folder/Ostraquelle.lv2"
  else
    cp "${build_dir[$target]}/$(plugin_file "$target")" "$folder/"
  fi
  if [ "$target" = linux ] || [ "$target" = lv2 ]; then
    sed "s/@VERSION@/$version/g" "$(install_text "$target")" > "$folder/INSTALL.txt"
    cp "$source_dir/LICENSE" "$folder/LICENSE"
  else
    # Windows editors want CRLF line ends and a .txt extension.
    sed "s/@VERSION@/$version/g; s/\$/\r/" "$source_dir/docs/INSTALL.txt" > "$folder/INSTALL.txt"
    sed 's/$/\r/' "$source_dir/LICENSE" > "$folder/LICENSE.txt"
  fi
  chmod 755 "$folder"
  find "$folder" -maxdepth 1 -type f -exec chmod 644 {} +
  touch -h -d "@$epoch" "$folder"/* "$folder"

  rm -f "$out/$archive"  # zip would add to an existing archive
  if [ "$target" = linux ] || [ "$target" = lv2 ]; then
    tar --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner --format=gnu \
        -C "$staging" -cf - "$name" | gzip -9 -n > "$out/$archive"
  else
    # -X: no owner ids or extra time fields; -D: no directory entries; names in sorted order.
    (cd "$staging" && find "$name" -type f | sort | zip -X -D -q -9 "$out/$archive" -@)
  fi
  archives+=("$archive")
  echo "package.sh: $out/$archive"
done

(cd "$out" && sha256sum "${archives[@]}" > SHA256SUMS)
echo "package.sh: $out/SHA256SUMS"
