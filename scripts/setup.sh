#!/usr/bin/env bash
# Installs the Debian packages the caller needs, and makes 32-bit x86 programs (wine32) run
# where the kernel cannot run them itself (scripts/i386.sh). Idempotent and quiet when
# everything is already there; adds the i386 architecture only when an i386 package is wanted.
#   scripts/setup.sh [--for ROLE]...   ROLE: tests (the default: everything the build, the tests
#                                      and the release need), demo (the native build and the
#                                      demo, nothing else), windows (the Windows DLLs and wine)
#   scripts/setup.sh --print ...       print the packages the roles need, one a line (optional ones
#                                      marked "optional"), and install nothing
#   OSTRAQUELLE_EMULATE_32BIT=1  also install the emulator where it is not needed, so that the
#                                emulated path can be forced (scripts/test.sh --emulate-32bit)
#
# Package lists: scripts/packages/*.list, one package a line, '#' starts a comment. A header
# line "# roles: demo tests" names the roles a list serves; a list without one serves "tests"
# only, so a new list reaches the tests and nothing else unless it says so. A list whose first
# line is "# optional" serves tests that skip without it: its failure does not stop the set-up.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
usage() { echo "usage: $0 [--print] [--for tests|demo|windows]..." >&2; exit 2; }
roles=() print=0
while [ $# -gt 0 ]; do
  case $1 in
    --print) print=1; shift ;;
    --for) [ $# -ge 2 ] || usage; roles+=("$2"); shift 2 ;;
    --for=*) roles+=("${1#--for=}"); shift ;;
    *) usage ;;
  esac
done
[ ${#roles[@]} -eq 0 ] && roles=(tests)

# The roles a list serves: its "# roles:" header line, or tests.
roles_of() {
  local line
  line=$(sed -n -e '/^[^#]/q' -e 's/^#[[:space:]]*roles:[[:space:]]*//p' "$1" | head -n1)
  echo "${line:-tests}"
}
wanted() {
  local role mine
  for role in "${roles[@]}"; do
    for mine in $(roles_of "$1"); do [ "$role" = "$mine" ] && return 0; done
  done
  return 1
}

required=() optional=()
for list in "$here"/packages/*.list; do
  wanted "$list" || continue
  mapfile -t names < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$list")
  if head -n1 "$list" | grep -q '^# optional'; then optional+=("${names[@]}"); else required+=("${names[@]}"); fi
done
[ "${OSTRAQUELLE_EMULATE_32BIT:-0}" = 1 ] && required+=(qemu-user-static)
if [ "$print" = 1 ]; then
  printf '%s\n' "${required[@]+"${required[@]}"}" | sort -u
  printf '%s optional\n' "${optional[@]+"${optional[@]}"}" | grep -v '^ optional$' | sort -u
  exit 0
fi

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${required[@]+"${required[@]}"}" | sort -u)
mapfile -t missing_optional < <(missing_of "${optional[@]+"${optional[@]}"}" | sort -u)

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
install() {
  "${sudo_cmd[@]}" apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "$@" >/dev/null
}
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_optional[@]} -gt 0 ]; then
  if printf '%s\n' "${missing[@]+"${missing[@]}"}" "${missing_optional[@]+"${missing_optional[@]}"}" |
    grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  # A mirror caught in the middle of a sync answers with index files of the wrong size; apt
  # then keeps the lists it had. Ask again a few times, then go on with those lists: the
  # install below says plainly if they lack a package.
  update_log=$(mktemp)
  trap 'rm -f "$update_log" "${fallback_preferences:-}"' EXIT
  for attempt in 1 2 3 4; do
    "${sudo_cmd[@]}" apt-get update -qq 2>"$update_log" && break
    cat "$update_log" >&2
    if [ "$attempt" = 4 ]; then
      echo "setup: apt-get update failed 4 times; installing from the package lists there are" >&2
    else
      delay=$((attempt * ${OSTRAQUELLE_APT_RETRY_SECONDS:-15}))
      echo "setup: apt-get update failed (attempt $attempt of 4); again in $delay s" >&2
      sleep "$delay"
    fi
  done
fi

# The suites whose index failed to download on the last try ("dists/SUITE/..." in apt's
# "Failed to fetch" lines).
failed_suites() {
  [ -n "${update_log:-}" ] && [ -s "$update_log" ] || return 0
  sed -n 's|^E: Failed to fetch [^ ]*/dists/\([^/ ]*\)/.*|\1|p' "$update_log" | sort -u
}
# When a suite's index is missing for one architecture only (a security suite's i386 list, say),
# the other architecture's packages come from that suite and their i386 twins cannot match
# them: apt gives up with "held broken packages". Installing again with that suite pinned below
# the rest (and the rest above what is installed) takes both twins from the suites whose lists
# are whole, going back to the release's version where the failed suite had updated one.
install_or_fall_back() {
  install "$@" && return 0
  local suites suite
  mapfile -t suites < <(failed_suites)
  [ ${#suites[@]} -gt 0 ] || return 1
  if [ -z "${fallback_preferences:-}" ]; then
    fallback_preferences=$(mktemp)
    for suite in "${suites[@]}"; do
      printf 'Package: *\nPin: release n=%s\nPin-Priority: 100\n\n' "$suite"
    done >"$fallback_preferences"
    printf 'Package: *\nPin: release o=Debian\nPin-Priority: 1001\n' >>"$fallback_preferences"
  fi
  echo "setup: the install failed while the index of ${suites[*]} was missing; installing" \
    "again with ${suites[*]} pinned below the other suites (packages it updated may go back" \
    "to the release's version on this machine)" >&2
  install -o Dir::Etc::Preferences="$fallback_preferences" --allow-downgrades "$@"
}
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  install_or_fall_back "${missing[@]}"
fi
if [ ${#missing_optional[@]} -gt 0 ]; then
  echo "setup: installing ${missing_optional[*]}" >&2
  install_or_fall_back "${missing_optional[@]}" ||
    echo "setup: could not install ${missing_optional[*]}; the tests that need them are skipped" >&2
fi

# 32-bit programs matter to wine32 alone.
if printf '%s\n' "${required[@]+"${required[@]}"}" | grep -qx 'wine32:i386'; then
  bash "$here/i386.sh" enable
fi
