#!/usr/bin/env bash
# Builds the release plug-ins and packs them for users:
#   dist/Ostraquelle-<version>-win32.zip, -win64.zip, -linux-x86_64.tar.gz and dist/SHA256SUMS
# Each archive holds one folder with the plug-in, INSTALL.txt and the licence. The version is
# the CMake project version. The same commit gives the same bytes: every time stamp is the
# commit's time (or SOURCE_DATE_EPOCH), entries are sorted, owners and permissions are fixed.
#
#   scripts/package.sh [--no-build] [--only "linux win32 win64"] [--out DIR]
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
targets="linux win32 win64"
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
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) fail "unknown option '$1' (see --help)" ;;
  esac
  shift
done
for target in $targets; do
  case $target in linux|win32|win64) ;; *) fail "unknown target '$target' (linux, win32, win64)" ;; esac
done

toolchain() {
  case $1 in
    win32) echo "-DCMAKE_TOOLCHAIN_FILE=$source_dir/cmake/mingw32.cmake" ;;
    win64) echo "-DCMAKE_TOOLCHAIN_FILE=$source_dir/cmake/mingw64.cmake" ;;
  esac
}
plugin_file() { [ "$1" = linux ] && echo Ostraquelle.so || echo Ostraquelle.dll; }
archive_suffix() { [ "$1" = linux ] && echo linux-x86_64.tar.gz || echo "$1.zip"; }

if [ $build = yes ]; then
  for target in $targets; do
    echo "package.sh: building $target in ${build_dir[$target]}"
    # shellcheck disable=SC2046
    cmake -S "$source_dir" -B "${build_dir[$target]}" -DCMAKE_BUILD_TYPE=Release \
          $(toolchain "$target") >/dev/null
    cmake --build "${build_dir[$target]}" --target Ostraquelle -j2 >/dev/null
  done
fi

# The version each build was configured with; all must agree.
version=
for target in $targets; do
  dir=${build_dir[$target]}
  [ -s "$dir/version.txt" ] || fail "$dir has not been configured (no version.txt); run without --no-build"
  [ -s "$dir/$(plugin_file "$target")" ] || fail "no $dir/$(plugin_file "$target"); run without --no-build"
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
  cp "${build_dir[$target]}/$(plugin_file "$target")" "$folder/"
  if [ "$target" = linux ]; then
    sed "s/@VERSION@/$version/g" "$source_dir/docs/INSTALL.txt" > "$folder/INSTALL.txt"
    cp "$source_dir/LICENSE" "$folder/LICENSE"
  else
    # Windows editors want CRLF line ends and a .txt extension.
    sed "s/@VERSION@/$version/g; s/\$/\r/" "$source_dir/docs/INSTALL.txt" > "$folder/INSTALL.txt"
    sed 's/$/\r/' "$source_dir/LICENSE" > "$folder/LICENSE.txt"
  fi
  chmod 755 "$folder"
  chmod 644 "$folder"/*
  touch -h -d "@$epoch" "$folder"/* "$folder"

  rm -f "$out/$archive"  # zip would add to an existing archive
  if [ "$target" = linux ]; then
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
