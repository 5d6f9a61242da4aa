#!/usr/bin/env bash
# Runs a Windows test program under wine in a private prefix of the build tree (a crash ends
# the program with a failure instead of waiting in the debugger):
#   wine-run.sh <prefix dir> <win32|win64> <program.exe> [args...]
# The prefix is created once (wineboot), with the X11 driver unmanaged so that hiding or
# destroying a window does not wait for a window manager. Without a display the program runs
# under xvfb-run.
set -euo pipefail
prefix=$1 arch=$2
shift 2

export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.ostraquelle-ready" ]; then
    rm -rf "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
    touch "$prefix/.ostraquelle-ready"
  fi
) 9>"$prefix.lock"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
