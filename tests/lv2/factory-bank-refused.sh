#!/usr/bin/env bash
# The bundle's generator takes the factory bank as the plug-in would: a missing, cut-short or
# foreign bank stops the build (status 1, a message naming the file) and leaves no factory.ttl.
#   usage: factory-bank-refused.sh GENERATOR BANK WORK_DIR
set -uo pipefail
generator=$1 bank=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
head -c 300 "$bank" > "$work/short.fxb"
# The plug-in id is the big-endian field at byte 16.
{ head -c 16 "$bank"; printf 'XXXX'; tail -c +21 "$bank"; } > "$work/foreign.fxb"
failed=0
for case in missing.fxb short.fxb foreign.fxb; do
  mkdir -p "$work/$case.lv2"
  "$generator" --factory-bank "$work/$case" "$work/$case.lv2" x.so 2> "$work/$case.err"
  status=$?
  if [ $status -ne 1 ] || ! grep -q "$work/$case" "$work/$case.err" || [ -e "$work/$case.lv2/factory.ttl" ]; then
    echo "FAIL $case: status $status, message '$(cat "$work/$case.err")'"; failed=1
  else
    echo "ok   $case: $(cat "$work/$case.err")"
  fi
done
mkdir -p "$work/good.lv2"
if "$generator" --factory-bank "$bank" "$work/good.lv2" x.so &&
   [ "$(grep -c 'a pset:Preset' "$work/good.lv2/factory.ttl")" = 8 ]; then
  echo "ok   the bank itself: 8 factory presets"
else
  echo "FAIL the bank itself"; failed=1
fi
exit $failed
