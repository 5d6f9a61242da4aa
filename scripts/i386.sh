#!/usr/bin/env bash
# Whether this machine runs 32-bit x86 programs (wine32, and with it the 32-bit DLL's tests),
# found out by running one, and the qemu emulation that stands in where the kernel cannot.
#
#   i386.sh probe       one line: "native: ...", "emulated: ..." or "none: <why>"
#   i386.sh enable      where i386 programs do not run: install qemu-user-static and register a
#                       binfmt_misc handler for them (root; idempotent; one line when it acts)
#   i386.sh register    register the handler in this mount namespace's binfmt_misc even where
#                       the kernel could run them itself (handlers come first): the emulated path
#   i386.sh unregister  remove that handler again
#   i386.sh run-emulated CMD...
#                       run CMD in a user and mount namespace of its own whose binfmt_misc has
#                       the handler: the emulated path for CMD alone, nothing else on the
#                       machine changes, and nothing is left behind when CMD ends
#
# Some kernels have their 32-bit emulation switched off: every i386 program then fails with
# "Exec format error". Files on disk say nothing about that, so the probe runs a program.
set -uo pipefail

handler_name=qemu-i386
qemu=/usr/bin/qemu-i386-static
binfmt=/proc/sys/fs/binfmt_misc
# i386 ELF executables and shared objects (e_type 2 or 3, e_machine 3); the 'F' flag opens the
# interpreter at registration, so it also works inside other mount namespaces and chroots.
handler=':'$handler_name':M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'$qemu':F'

# The smallest i386 program: one load segment whose code is exit(42) through int 0x80.
write_probe() {
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80' >"$1"
  chmod +x "$1"
}

# Prints the name of an enabled binfmt_misc handler that takes i386 programs, if any.
i386_handler() {
  local entry
  [ -r "$binfmt/status" ] || return 1
  for entry in "$binfmt"/*; do
    case ${entry##*/} in register | status) continue ;; esac
    [ -r "$entry" ] || continue
    grep -qx enabled "$entry" || continue
    grep -q '^magic 7f454c4601010100000000000000000002000300' "$entry" && { echo "${entry##*/}"; return 0; }
  done
  return 1
}

probe() {
  local dir status output name
  dir=$(mktemp -d "${TMPDIR:-/tmp}/i386-probe.XXXXXX") || { echo "none: cannot create a temporary directory"; return; }
  write_probe "$dir/probe"
  output=$("$dir/probe" 2>&1)
  status=$?
  rm -rf "$dir"
  if [ "$status" -ne 42 ]; then
    output=${output##*: }
    echo "none: a 32-bit x86 program does not run here (${output:-exit status $status}); the kernel's 32-bit emulation is off and no emulator is registered"
  elif name=$(i386_handler); then
    echo "emulated: 32-bit x86 programs run through $(sed -n 's/^interpreter //p' "$binfmt/$name") (binfmt_misc handler $name)"
  else
    echo "native: the kernel runs 32-bit x86 programs"
  fi
}

register() {
  local why
  if [ ! -x "$qemu" ]; then
    echo "none: $qemu is missing (Debian package qemu-user-static)"
    return 1
  fi
  if ! mountpoint -q "$binfmt" && ! mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
    echo "none: binfmt_misc cannot be mounted on $binfmt (not root, or the kernel lacks it)"
    return 1
  fi
  i386_handler >/dev/null && return 0
  if ! why=$(echo "$handler" 2>&1 >"$binfmt/register"); then
    echo "none: registering the qemu-i386 handler failed (${why##*: })"
    return 1
  fi
}

case ${1:-} in
  probe)
    probe
    ;;
  register)
    register || exit 1
    probe
    ;;
  unregister)
    [ -e "$binfmt/$handler_name" ] && echo -1 >"$binfmt/$handler_name"
    probe
    ;;
  run-emulated)
    shift
    [ $# -gt 0 ] || { echo "usage: $0 run-emulated CMD..." >&2; exit 2; }
    # binfmt_misc mounted in a new user namespace is that namespace's own instance.
    exec unshare --user --map-root-user --mount --fork \
      env OSTRAQUELLE_IN_EMULATION=1 bash -c '
        # A fresh mount, not the one inherited from the parent namespace: that is the machine'"'"'s.
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc ||
          { echo "i386: binfmt_misc cannot be mounted in a user namespace here" >&2; exit 1; }
        state=$(bash "$0" register) || { echo "i386: cannot emulate in a namespace: ${state#none: }" >&2; exit 1; }
        case $state in emulated:*) ;; *) echo "i386: handler registered but: $state" >&2; exit 1 ;; esac
        exec "$@"' "$0" "$@"
    ;;
  enable)
    state=$(probe)
    case $state in native:* | emulated:*) exit 0 ;; esac
    if [ "$(id -u)" -ne 0 ]; then
      echo "i386: $state; setting up emulation needs root" >&2
      exit 0
    fi
    if [ ! -x "$qemu" ]; then
      apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends qemu-user-static \
        >/dev/null 2>&1 || { echo "i386: $state; installing qemu-user-static failed" >&2; exit 0; }
    fi
    if register >/dev/null; then
      echo "i386: the kernel runs no 32-bit x86 programs; registered binfmt_misc handler $handler_name -> $qemu (32-bit tests run emulated)" >&2
    else
      echo "i386: $state; $(register)" >&2
    fi
    ;;
  *)
    echo "usage: $0 probe|enable|register|unregister|run-emulated CMD..." >&2
    exit 2
    ;;
esac
