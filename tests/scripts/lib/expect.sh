# shellcheck shell=bash
# Checks for the script tests that count their cases; sourced. expect <description> <actual>
# <pattern> compares with a shell pattern; finish prints the count and fails on any failure.
passes=0 failures=0
expect() {
  # shellcheck disable=SC2053
  if [[ $2 == $3 ]]; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAIL: $1: got '$2'"; failures=$((failures + 1)); fi
}
finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
