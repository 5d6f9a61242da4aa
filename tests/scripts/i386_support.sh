#!/usr/bin/env bash
# scripts/i386.sh tells whether 32-bit x86 programs run by running one, and the emulated path
# that CI relies on works: checked against a real i386 program (wine's 32-bit loader), in
# namespaces of the test's own whose binfmt_misc sends i386 programs to qemu, or nowhere.
#   i386_support.sh <build dir> <source dir> <platform> <plug-in>
# Exit 77 (skipped) where it cannot be checked: not the native build, no wine32, no user
# namespaces with binfmt_misc, or no qemu-i386-static.
set -u
build=$1 source=$2 platform=$3
script=$source/scripts/i386.sh
wine32=/usr/lib/wine/wine

[ "$platform" = native ] || { echo "checked in the native build"; exit 77; }
[ -x "$wine32" ] || { echo "no 32-bit wine loader ($wine32) to check against"; exit 77; }
unshare --user --map-root-user --mount \
  sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' 2>/dev/null ||
  { echo "no user namespace with a binfmt_misc of its own here"; exit 77; }
[ -x /usr/bin/qemu-i386-static ] || { echo "no qemu-i386-static (scripts/setup.sh with OSTRAQUELLE_EMULATE_32BIT=1 installs it)"; exit 77; }

source "$source/tests/scripts/lib/expect.sh"

# 1. Here, as the machine is: the answer agrees with what a real i386 program does.
before=$(bash "$script" probe)
if "$wine32" --version >/dev/null 2>&1; then
  if grep -qs '^magic 7f454c4601010100000000000000000002000300' /proc/sys/fs/binfmt_misc/*; then
    expect "a handler takes i386 programs here: probe says emulated" "$before" "emulated: *"
  else
    expect "the kernel runs wine32 here: probe says native" "$before" "native: *"
  fi
else
  expect "wine32 does not start here: probe says none" "$before" "none: *"
fi

# 2. The forced emulated path: inside, probe says emulated and wine32 runs through qemu.
#    32-bit programs then run in a 64-bit prefix (booted natively), as they do natively in a
#    32-bit one.
wine_run=$source/scripts/wine-run.sh
inside=$(bash "$script" run-emulated bash -c 'unset OSTRAQUELLE_I386; bash "$0" probe; /usr/lib/wine/wine --version; bash "$1" /nonexistent win32 --kind' "$script" "$wine_run" 2>&1)
expect "forced emulation: probe says emulated through qemu" "$(head -n1 <<<"$inside")" "emulated: *qemu-i386-static*"
expect "forced emulation: wine32 starts" "$(sed -n 2p <<<"$inside")" "wine-*"
expect "forced emulation: 32-bit programs get a 64-bit prefix" "$(sed -n 3p <<<"$inside")" "wow64"
if [[ $before == native:* ]]; then
  expect "natively: 32-bit programs get a 32-bit prefix" "$(OSTRAQUELLE_I386= bash "$wine_run" /nonexistent win32 --kind)" "win32"
fi

# 3. A handler that cannot run i386 programs (as where the kernel refuses them): probe says
#    none, and creating a 32-bit prefix fails at once with a message that says so.
broken=$(unshare --user --map-root-user --mount bash -c '
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 1
  echo ":broken-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/bin/false:F" >/proc/sys/fs/binfmt_misc/register || exit 1
  bash "$0" probe
  # wine-run probes for itself here, not trusting what the calling run found.
  unset OSTRAQUELLE_I386
  prefix=$(mktemp -d)/wineprefix
  DISPLAY= timeout 120 bash "$1" "$prefix" win32 notepad.exe 2>&1
  echo "status $?"
  rm -rf "$(dirname "$prefix")"' "$script" "$source/scripts/wine-run.sh" 2>&1)
expect "broken handler: probe says none" "$(head -n1 <<<"$broken")" "none: *"
expect "broken handler: wine-run names the prefix it cannot create" "$broken" "*cannot create the win32 wine prefix*wineboot exited with status*"
expect "broken handler: wine-run fails" "$(tail -n1 <<<"$broken")" "status 1"

# 4. The machine is left as it was.
expect "afterwards the machine answers as before" "$(bash "$script" probe)" "$before"

finish
