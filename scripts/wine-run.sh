#!/usr/bin/env bash
# Runs a Windows test program under wine in a private prefix of the build tree (a crash ends
# the program with a failure instead of waiting in the debugger):
#   wine-run.sh <prefix dir> <win32|win64> <program.exe> [args...]
#   wine-run.sh <prefix dir> <win32|win64> --boot-only    prepare the prefix and stop
#   wine-run.sh <prefix dir> <win32|win64> --kind         print the prefix kind (below) and stop
# Each prefix starts as a copy of one booted template per build tree and prefix kind
# (<build>/wineprefix-template-<kind>): wineboot takes tens of seconds, and it runs once. The
# X11 driver is unmanaged so that hiding or destroying a window does not wait for a window
# manager. Without a display the program runs under xvfb-run.
#
# Where 32-bit programs run only through qemu, a 32-bit prefix cannot be booted reliably:
# wineboot starts a dozen emulated wine services, and one crashing under qemu hangs the boot.
# There the 32-bit programs run in a 64-bit prefix instead (kind wow64), as on 64-bit Windows:
# the prefix boots natively with wine64, the wineserver is the native 64-bit one, and only the
# test program and its 32-bit wine loader are emulated.
set -euo pipefail
prefix=$1 arch=$2
shift 2

# Debian's wine wrapper starts the 32-bit loader first whenever wine32 is installed; the
# 64-bit loader started directly needs no 32-bit support at all.
wine32=/usr/lib/wine/wine wine64=/usr/lib/wine/wine64
case $arch in
  win32)
    kind=win32 loader=$wine32 boot_loader=$wine32
    i386_state=${OSTRAQUELLE_I386:-$(bash "$(dirname "$0")/i386.sh" probe)}
    if [ "${i386_state%%:*}" = emulated ]; then
      kind=wow64 boot_loader=$wine64
    fi
    ;;
  win64) kind=win64 loader=$wine64 boot_loader=$wine64 ;;
  *) echo "wine-run: unknown architecture '$arch' (win32 or win64)" >&2; exit 2 ;;
esac
if [ "${1:-}" = --kind ]; then echo "$kind"; exit 0; fi
for program in "$loader" "$boot_loader"; do
  if [ ! -x "$program" ]; then
    echo "wine-run: $program is missing; scripts/setup.sh installs wine" >&2
    exit 1
  fi
done

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# qemu reserves the whole 4 GiB guest address space up front, which wine32 needs when it runs
# emulated ("failed to map the shared user data" otherwise); nothing but qemu reads it.
export QEMU_RESERVED_VA=0xffff0000

fail_boot() {
  echo "wine-run: cannot create the $kind wine prefix $1: $2" >&2
  [ -s "$1.boot.log" ] && tail -n 5 "$1.boot.log" | sed 's/^/wine-run:   /' >&2
  if [ "$kind" = win32 ]; then
    echo "wine-run: 32-bit programs on this machine: $(bash "$(dirname "$0")/i386.sh" probe)" >&2
  fi
  exit 1
}

# Process ids of the wine programs running in prefix $1 whose command line matches $2.
prefix_processes() {
  local pid
  for pid in /proc/[0-9]*; do
    { tr '\0' '\n' <"$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$1" || continue
    { tr '\0' ' ' <"$pid/cmdline"; } 2>/dev/null | grep -q "$2" && echo "${pid#/proc/}"
  done
  return 0
}

# Ends the prefix's wineserver and its programs; the server saves the registry as it goes.
# Wine's own services may linger for minutes (for ever when one crashed under emulation), so
# they are not waited for.
stop_prefix() {
  WINEPREFIX=$1 wineserver -k 2>/dev/null || true
  WINEPREFIX=$1 timeout 120 wineserver -w 2>/dev/null || true
}

# Boots a prefix; any failure stops with a message that says where it failed.
boot_prefix() {
  local dir=$1 status=0 attempt deadline
  local WINELOADER=$boot_loader WINEARCH=${kind/wow64/win64}
  export WINELOADER WINEARCH
  # Natively a boot takes seconds; emulated, minutes. One that takes longer has hung (seen
  # under qemu when one of wine's own services crashed), and waiting on would only use up
  # the caller's time.
  deadline=$(($(date +%s) + ${OSTRAQUELLE_WINE_BOOT_SECONDS:-1500}))
  rm -rf "$dir"
  mkdir -p "$(dirname "$dir")"
  : >"$dir.boot.log"
  # The first wine program of a new prefix waits a limited time for the prefix's set-up
  # (wineboot --init), which goes on without it; under emulation on a busy machine that wait
  # can run out. Then wait for the set-up to end and ask once more: a prefix that is really
  # broken fails again.
  for attempt in 1 2; do
    status=0
    WINEPREFIX=$dir timeout $((deadline - $(date +%s))) "$boot_loader" wineboot.exe -i \
      >>"$dir.boot.log" 2>&1 || status=$?
    [ "$status" -eq 0 ] && break
    echo "wine-run: wineboot attempt $attempt exited with status $status" >>"$dir.boot.log"
    while [ -n "$(prefix_processes "$dir" wineboot)" ] && [ "$(date +%s)" -lt "$deadline" ]; do
      sleep 2
    done
    stop_prefix "$dir"
    [ "$(date +%s)" -lt "$deadline" ] ||
      fail_boot "$dir" "wineboot did not finish within ${OSTRAQUELLE_WINE_BOOT_SECONDS:-1500} s"
  done
  [ "$status" -eq 0 ] || fail_boot "$dir" "wineboot exited with status $status"
  WINEPREFIX=$dir "$boot_loader" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    >>"$dir.boot.log" 2>&1 || fail_boot "$dir" "setting the X11 driver to unmanaged failed"
  stop_prefix "$dir"
  [ -d "$dir/drive_c/windows" ] || fail_boot "$dir" "wineboot left no windows directory"
  grep -q '"Managed"="N"' "$dir/user.reg" 2>/dev/null ||
    fail_boot "$dir" "the registry was not saved (no X11 driver setting in user.reg)"
  echo "$kind" >"$dir/.ostraquelle-ready"
}

# Ready: booted, and of the kind this run needs (a tree may be tested natively and emulated).
is_ready() { [ "$(cat "$1/.ostraquelle-ready" 2>/dev/null)" = "$kind" ]; }

template=$(dirname "$prefix")/wineprefix-template-$kind
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if ! is_ready "$prefix"; then
    [ -n "$(ls -A "$prefix" 2>/dev/null)" ] && stop_prefix "$prefix"
    is_ready "$template" || boot_prefix "$template"
    rm -rf "$prefix" "$prefix.tmp"
    # Hard links: a prefix is 0.6 to 1.3 GB, and wine replaces the files it changes (the
    # registry is written anew and renamed) rather than writing into them.
    cp -al "$template" "$prefix.tmp"
    mv "$prefix.tmp" "$prefix"
  fi
) 9>"$(dirname "$prefix")/.wineprefix-$arch.lock"

[ "${1:-}" = --boot-only ] && exit 0

# The program finds its prefix's wine server running, started here. A wine program that has to
# start the server itself exits with the server's status and says nothing when that start fails
# (seen once in CI: status 1 after 0.06 s, no output). Here a failed start is retried and
# reported, and the server's own output stays out of the caller's pipe, which the caller
# would otherwise wait on until the server exits.
server_log=$prefix.server.log
start_server() {
  local attempt status=0
  for attempt in 1 2 3 4 5; do
    status=0
    WINEPREFIX=$prefix wineserver </dev/null >/dev/null 2>>"$server_log" || status=$?
    case $status in
      0) return 0 ;;
      # One is running. The previous program's may be on its way out, and a program that
      # connects to it then is dropped: let that one end and start anew. One that stays is
      # serving another program, and is used.
      2) WINEPREFIX=$prefix timeout 10 wineserver -w 2>/dev/null || return 0 ;;
      *) echo "wine-run: starting the wine server: attempt $attempt exited with status $status" \
           >>"$server_log"
         sleep 1 ;;
    esac
  done
  echo "wine-run: the wine server for $prefix does not start (status $status)" >&2
  tail -n 5 "$server_log" | sed 's/^/wine-run:   /' >&2
  exit 1
}
( flock 9; start_server ) 9>"$prefix.server.lock"

export WINEPREFIX=$prefix WINELOADER=$loader WINEARCH=$arch
# The prefix decides: a 32-bit program in a 64-bit prefix must not ask for a 32-bit one.
[ "$kind" = wow64 ] && unset WINEARCH
run=("$loader")
[ -n "${DISPLAY:-}" ] || run=(xvfb-run -a -s "-screen 0 1280x1024x24" "$loader")
started=$SECONDS status=0
"${run[@]}" "$@" || status=$?
# A failure that printed nothing still says which program it was and how soon it ended.
[ "$status" -eq 0 ] ||
  echo "wine-run: $(basename "$1") exited with status $status after $((SECONDS - started)) s" >&2
exit "$status"
