#!/usr/bin/env bash
# The host test must fail against a plug-in whose entry answers null: the host then has no
# effect and would export the dry signal with status 0. Passes when the host test fails and
# says the plug-in was not there; exit 77 when the host test is skipped.
#   usage: broken-plugin-fails.sh HOST_TEST.sh ARGUMENTS...  (the host test's own arguments,
#          with the broken plug-in in place of the real one)
set -uo pipefail
test_script=$1
shift
# One case shows it; the others would fail the same way.
output=$(OSTRAQUELLE_HOST_CASES=1 bash "$test_script" "$@" 2>&1)
status=$?
echo "$output"
[ $status -eq 77 ] && exit 77
if [ $status -eq 0 ]; then
  echo "FAIL: the host test passed with a plug-in whose entry answers null"
  exit 1
fi
if ! grep -q "does not know the plug-in\|could not run the plug-in\|was not loaded" <<<"$output"; then
  echo "FAIL: the host test failed, but not because the plug-in was missing"
  exit 1
fi
echo "ok: the host test fails (status $status) when the plug-in cannot be loaded"
