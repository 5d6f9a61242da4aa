#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, and makes 32-bit x86
# programs (wine32) run where the kernel cannot run them itself (scripts/i386.sh). Idempotent
# and quiet when everything is already there; adds the i386 architecture that wine32 needs.
#   OSTRAQUELLE_EMULATE_32BIT=1  also install the emulator where it is not needed, so that the
#                                emulated path can be forced (scripts/test.sh --emulate-32bit)
set -euo pipefail

# One package a line in scripts/packages/*.list; '#' starts a comment.
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t packages < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$here"/packages/*.list | sort -u)
[ "${OSTRAQUELLE_EMULATE_32BIT:-0}" = 1 ] && packages+=(qemu-user-static)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  echo "setup: installing ${missing[*]}" >&2
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

bash "$here/i386.sh" enable
