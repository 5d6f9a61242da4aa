#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, and makes 32-bit x86
# programs (wine32) run where the kernel cannot run them itself (scripts/i386.sh). Idempotent
# and quiet when everything is already there; adds the i386 architecture that wine32 needs.
#   OSTRAQUELLE_EMULATE_32BIT=1  also install the emulator where it is not needed, so that the
#                                emulated path can be forced (scripts/test.sh --emulate-32bit)
set -euo pipefail

# One package a line in scripts/packages/*.list; '#' starts a comment. A list whose first
# line is "# optional" serves tests that skip without it: its failure does not stop the set-up.
here=$(cd "$(dirname "$0")" && pwd)
required=() optional=()
for list in "$here"/packages/*.list; do
  mapfile -t names < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$list")
  if head -n1 "$list" | grep -q '^# optional'; then optional+=("${names[@]}"); else required+=("${names[@]}"); fi
done
[ "${OSTRAQUELLE_EMULATE_32BIT:-0}" = 1 ] && required+=(qemu-user-static)

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${required[@]}" | sort -u)
mapfile -t missing_optional < <(missing_of "${optional[@]}" | sort -u)

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
install() {
  "${sudo_cmd[@]}" apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "$@" >/dev/null
}
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_optional[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  install "${missing[@]}"
fi
if [ ${#missing_optional[@]} -gt 0 ]; then
  echo "setup: installing ${missing_optional[*]}" >&2
  install "${missing_optional[@]}" ||
    echo "setup: could not install ${missing_optional[*]}; the tests that need them are skipped" >&2
fi

bash "$here/i386.sh" enable
