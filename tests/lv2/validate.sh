#!/usr/bin/env bash
# lv2_validate (Debian's lv2-dev, with sord_validate from sordi) on every Turtle file of the
# built bundle: it must report nothing. Exit 77 (skipped) with the reason where the bundle or
# the validator is missing.
#   validate.sh BUNDLE_DIR
set -uo pipefail
bundle=${1:-}
[ -n "$bundle" ] || { echo "skipped: no LV2 bundle in this build (LV2 headers missing: Debian package lv2-dev)"; exit 77; }
for tool in lv2_validate sord_validate; do
  command -v "$tool" >/dev/null ||
    { echo "skipped: $tool is missing (Debian packages lv2-dev and sordi, scripts/packages/lv2.list)"; exit 77; }
done
files=("$bundle"/*.ttl)
[ -e "${files[0]}" ] || { echo "FAIL: no .ttl files in $bundle"; exit 1; }
output=$(lv2_validate "${files[@]}" 2>&1)
status=$?
# sord_validate reports each problem on lines of its own and ends with a count.
if [ $status -ne 0 ] || printf '%s\n' "$output" | grep -qE '^(error|warning)' ||
   ! printf '%s\n' "$output" | grep -q '^Found 0 errors'; then
  printf '%s\n' "$output"
  echo "FAIL: lv2_validate (status $status)"
  exit 1
fi
printf '%s\n' "$output" | tail -n 1
echo "ok: lv2_validate finds nothing in ${#files[@]} files: ${files[*]##*/}"
