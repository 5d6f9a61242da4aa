#!/usr/bin/env bash
# scripts/package.sh packs the same builds into the same bytes twice, even a second later and
# under another umask and time zone; each archive holds its folder with the plug-in, INSTALL.txt
# and the licence, and SHA256SUMS matches the archives.
#   package_reproducible.sh <build dir> <source dir> <platform> <plug-in>
# Runs in the native build and packs from the binaries already built (this build's plug-in,
# and the Windows DLLs of sibling win32 / win64 directories when they exist). Exit 77: skipped.
set -uo pipefail
build_dir=$1 source_dir=$2 platform=$3
fail() { echo "FAIL: $*"; exit 1; }

[ "$platform" = native ] || { echo "packed from the native build only"; exit 77; }
for tool in zip unzip tar gzip sha256sum; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/packages/release.list)"
done

build_dir=$(cd "$build_dir" && pwd)
parent=$(dirname "$build_dir")
targets=linux
arguments=(--no-build --linux-build "$build_dir")
[ -s "$build_dir/Ostraquelle.lv2/manifest.ttl" ] && targets="$targets lv2"
for arch in win32 win64; do
  if [ -s "$parent/$arch/Ostraquelle.dll" ] && [ -s "$parent/$arch/version.txt" ]; then
    targets="$targets $arch"
    arguments+=(--$arch-build "$parent/$arch")
  fi
done
version=$(cat "$build_dir/version.txt")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
( umask 022; TZ=UTC bash "$source_dir/scripts/package.sh" "${arguments[@]}" --only "$targets" \
    --out "$work/first" >/dev/null ) || fail "the first packing failed"
sleep 1
( umask 077; TZ=Pacific/Kiritimati bash "$source_dir/scripts/package.sh" "${arguments[@]}" \
    --only "$targets" --out "$work/second" >/dev/null ) || fail "the second packing failed"

expected=()
for target in $targets; do
  case $target in
    linux) expected+=("Ostraquelle-$version-linux-x86_64.tar.gz") ;;
    lv2) expected+=("Ostraquelle-$version-lv2-linux-x86_64.tar.gz") ;;
    *) expected+=("Ostraquelle-$version-$target.zip") ;;
  esac
done
expected+=(SHA256SUMS)
[ "$(cd "$work/first" && ls | sort)" = "$(printf '%s\n' "${expected[@]}" | sort)" ] ||
  fail "dist holds $(ls "$work/first" | tr '\n' ' '), expected ${expected[*]}"

for file in "${expected[@]}"; do
  cmp -s "$work/first/$file" "$work/second/$file" || fail "$file differs between two packings"
done
(cd "$work/first" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"

for target in $targets; do
  case $target in
    linux)
      folder=Ostraquelle-$version-linux-x86_64
      listing=$(tar -tzf "$work/first/$folder.tar.gz")
      want=$(printf '%s\n' "$folder/" "$folder/INSTALL.txt" "$folder/LICENSE" "$folder/Ostraquelle.so")
      plugin=$folder/Ostraquelle.so
      # Owned by root, not by whoever packed it.
      owners=$(tar --numeric-owner -tvzf "$work/first/$folder.tar.gz" | awk '{print $2}' | sort -u)
      [ "$owners" = 0/0 ] || fail "tar entries owned by $owners"
      tar -xzf "$work/first/$folder.tar.gz" -C "$work" "$plugin" ;;
    lv2)
      folder=Ostraquelle-$version-lv2-linux-x86_64
      listing=$(tar -tzf "$work/first/$folder.tar.gz")
      want=$(printf '%s\n' "$folder/" "$folder/INSTALL.txt" "$folder/LICENSE" "$folder/Ostraquelle.lv2/" \
               "$folder/Ostraquelle.lv2/factory.ttl" "$folder/Ostraquelle.lv2/manifest.ttl" \
               "$folder/Ostraquelle.lv2/ostraquelle.so" "$folder/Ostraquelle.lv2/ostraquelle.ttl" \
               "$folder/Ostraquelle.lv2/ostraquelle_ui.so" "$folder/Ostraquelle.lv2/presets.ttl")
      plugin=$folder/Ostraquelle.lv2/ostraquelle.so
      owners=$(tar --numeric-owner -tvzf "$work/first/$folder.tar.gz" | awk '{print $2}' | sort -u)
      [ "$owners" = 0/0 ] || fail "tar entries owned by $owners"
      tar -xzf "$work/first/$folder.tar.gz" -C "$work" "$plugin" ;;
    *)
      folder=Ostraquelle-$version-$target
      listing=$(unzip -Z1 "$work/first/$folder.zip")
      want=$(printf '%s\n' "$folder/INSTALL.txt" "$folder/LICENSE.txt" "$folder/Ostraquelle.dll")
      plugin=$folder/Ostraquelle.dll
      unzip -q "$work/first/$folder.zip" "$plugin" -d "$work" ;;
  esac
  [ "$listing" = "$want" ] || fail "$target archive holds: $(echo $listing)"
  case $target in
    linux) src=$build_dir/Ostraquelle.so ;;
    lv2) src=$build_dir/Ostraquelle.lv2/ostraquelle.so ;;
    *) src=$parent/$target/Ostraquelle.dll ;;
  esac
  cmp -s "$work/$plugin" "$src" || fail "the $target archive's plug-in is not the built one"
  echo "$target: $(echo $listing)"
done
echo "identical after two packings: ${expected[*]}"
