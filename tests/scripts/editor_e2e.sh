#!/usr/bin/env bash
# The editor of the real Windows DLL under wine, driven with the real mouse: host_editor_session
# shows it in a window of its own and checks the results; this script plays the user with
# xdotool on an X display of its own (Xvfb), so that no other test's window can catch the
# pointer; without Xvfb it uses DISPLAY.
#   editor_e2e.sh <build dir> <source dir> <native|win32> <plug-in>
# Exit 77 (skipped) where it does not apply: the native build, or no xdotool / Xvfb / wine.
set -u
build=$1 source=$2 platform=$3 plugin=$4

[ "$platform" = win32 ] || { echo "editor_e2e: Windows builds only"; exit 77; }
for tool in xdotool wine wineserver; do
  command -v "$tool" >/dev/null || { echo "editor_e2e: no $tool"; exit 77; }
done
host=$build/tests/host_editor_session.exe
[ -f "$host" ] || { echo "editor_e2e: $host not built"; exit 77; }
source "$source/tests/scripts/lib/pe.sh"
arch=$(wine_arch "$host")

# A prefix of its own, so that no wineserver of another test holds another display.
prefix=$build/wineprefix-editor-e2e
session=$build/editor_e2e
rm -rf "$session"
mkdir -p "$session"
log=$session/host.log

xvfb_pid=
host_pid=
cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  WINEPREFIX=$prefix wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

if command -v Xvfb >/dev/null; then
  exec 5>"$session/display"
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$session/display" ] && break; sleep 0.1; done
  [ -s "$session/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=:$(head -n1 "$session/display")
elif [ -z "${DISPLAY:-}" ]; then
  echo "editor_e2e: no X display"
  exit 77
fi
WINEPREFIX=$prefix wineserver -k 2>/dev/null

# Under qemu a 32-bit wine program starts and reacts many times slower: wait that much longer.
slow=1
[ "$arch" = win32 ] && [ "${OSTRAQUELLE_I386:-native}" = emulated ] && slow=10

source "$source/tests/scripts/lib/user.sh"

# The Windows program sees the session directory on drive Z:, which maps the root.
winsession="Z:$(printf '%s' "$session" | tr / '\\')"
"$source/scripts/wine-run.sh" "$prefix" "$arch" "$host" "$plugin" --session "$winsession" \
  >"$log" 2>&1 &
host_pid=$!

# 1. Drag knob 7 (centre 104, 80 in the panel) up by 200 pixels: press, wait until the plug-in
#    has reported the begin of the edit, move in steps, release.
wait_for need-drag 1200 || fail "the host did not open the editor"
read -r ox oy <"$session/need-drag"
x=$((ox + 104)) y=$((oy + 80))
drag_up "$x" "$y" 200 began-1
touch "$session/done-drag"

# 2. Control-click on knob 7: the pointer goes onto the control before the key goes down.
wait_for need-ctrlclick 300 || fail "the host did not ask for the control-click"
click_with_key "$x" "$y" ctrl
touch "$session/done-ctrlclick"

# 3. Click the whitening switch (centre 140, 235).
wait_for need-switch 300 || fail "the host did not ask for the switch click"
xdotool mousemove $((ox + 140)) $((oy + 235))
pause 0.3
xdotool mousedown 1
pause 0.3
xdotool mouseup 1
touch "$session/done-switch"

wait "$host_pid"
status=$?
host_pid=
tr -d '\r' <"$log"
[ -f "$session/panel.png" ] && echo "panel screenshot: $session/panel.png"
exit $status
