#!/usr/bin/env bash
# scripts/wine-run.sh, which every Windows test runs through: a program's failure reaches the
# caller as a failure, and a wine server that fails to start is retried, or reported when it
# never starts, instead of ending the program silently.
#   wine_run.sh <build dir> <source dir> <platform> <plug-in>
# Exit 77 (skipped) in the native build, and for the 32-bit DLL: its wine processes run
# emulated on some machines, minutes each.
set -u
build=$1 source=$2 platform=$3 plugin=$4

[ "$platform" = win32 ] || { echo "checked in the Windows builds"; exit 77; }
source "$source/tests/scripts/lib/pe.sh"
[ "$(wine_arch "$plugin")" = win64 ] || { echo "checked with the 64-bit DLL"; exit 77; }

wine_run=$source/scripts/wine-run.sh
# A prefix of its own (a copy of the booted template), whose server log only this test writes.
prefix=$build/wineprefix-wine-run
work=$(mktemp -d)
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

source "$source/tests/scripts/lib/expect.sh"

# A wineserver that fails its first $1 starts without a word, as the real one does when its
# daemon dies before it is ready; everything else goes to the real one.
fake_server() {
  mkdir -p "$work/bin"
  cat >"$work/bin/wineserver" <<EOF
#!/bin/sh
if [ \$# -eq 0 ]; then
  n=\$(cat "$work/starts" 2>/dev/null || echo 0)
  echo \$((n + 1)) >"$work/starts"
  [ "\$n" -lt $1 ] && exit 1
fi
exec $(command -v wineserver) "\$@"
EOF
  chmod +x "$work/bin/wineserver"
  rm -f "$work/starts" "$prefix.server.log"
  WINEPREFIX=$prefix wineserver -k 2>/dev/null
  WINEPREFIX=$prefix timeout 60 wineserver -w 2>/dev/null
}
run() { PATH=$work/bin:$PATH bash "$wine_run" "$prefix" win64 "$@" 2>&1; echo "status $?"; }

# 1. The program's own exit status is the caller's.
out=$(run cmd.exe /c exit 3)
expect "a program's failure fails the run" "$(tail -n1 <<<"$out")" "status 3"
expect "and says which program and how soon" "$out" "*wine-run: cmd.exe exited with status 3 after*"
out=$(run cmd.exe /c echo program-ran)
expect "a program that succeeds passes" "$out" "*program-ran*status 0"

# 2. A start that fails is tried again, and the program runs.
fake_server 2
out=$(run cmd.exe /c echo program-ran)
expect "after two failed starts the program runs" "$out" "*program-ran*status 0"
expect "the failed starts are logged" "$(grep -c 'exited with status 1' "$prefix.server.log")" 2

# 3. A server that never starts: the run fails, and says why.
fake_server 100
out=$(run cmd.exe /c echo program-ran)
expect "no server: the run fails" "$(tail -n1 <<<"$out")" "status 1"
expect "no server: the message says so" "$out" "*wine server for $prefix does not start (status 1)*"
expect "no server: the program did not run" "$(grep -c program-ran <<<"$out")" 0

finish
