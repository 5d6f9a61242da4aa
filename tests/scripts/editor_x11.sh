#!/usr/bin/env bash
# The Linux plug-in's editor in an X11 host window, driven with the real mouse and keyboard:
# host_editor_x11 opens it in a window of its own and checks the results; this script plays
# the user with xdotool on a virtual display of its own (xvfb-run -a), then compares the panel
# with the Windows DLL's panel screenshot.
#   editor_x11.sh <build dir> <source dir> <native|win32> <plug-in>
# The Windows panel: $OSTRAQUELLE_WINDOWS_PANEL, else docs/editor.png (the demo's screenshot of
# the DLL under wine). Bitmaps must match it exactly; the value displays' text (anti-aliased by
# two different rasterisers) may differ within the tolerance below.
# Exit 77 (skipped) where it does not apply: a Windows build, or no xvfb-run / xdotool.
set -u
build=$1 source=$2 platform=$3 plugin=$4

[ "$platform" = native ] || { echo "editor_x11: the Linux build only"; exit 77; }
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "editor_x11: no $tool"; exit 77; }
done
host=$build/tests/host_editor_x11
[ -x "$host" ] || { echo "editor_x11: $host not built"; exit 77; }

if [ -z "${OSTRAQUELLE_EDITOR_X11_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" \
    env OSTRAQUELLE_EDITOR_X11_DISPLAY=1 bash "$0" "$@"
fi

session=$build/editor_x11
rm -rf "$session"
mkdir -p "$session"
log=$session/host.log
host_pid=
cleanup() { [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null; }
trap cleanup EXIT
source "$source/tests/scripts/lib/user.sh"

"$host" "$plugin" --resources "$source/resources" --session "$session" >"$log" 2>&1 &
host_pid=$!

# 1. Drag knob 7 (centre 104, 80 in the panel) up by 200 pixels: press, wait until the plug-in
#    has reported the begin of the edit, move in steps, release.
wait_for need-drag 300 || fail "the host did not open the editor"
read -r ox oy <"$session/need-drag"
x=$((ox + 104)) y=$((oy + 80))
drag_up "$x" "$y" 200 began-1
touch "$session/done-drag"

# 2. Keys: without a window manager they go to the window under the pointer.
wait_for need-keys 300 || fail "the host did not ask for the keys"
xdotool mousemove "$x" "$y"
pause 0.3
xdotool key Down
pause 0.3
xdotool key shift+Down
pause 0.3
touch "$session/done-keys"

# 3. Control-click on knob 7: the pointer goes onto the control before the key goes down.
wait_for need-ctrlclick 300 || fail "the host did not ask for the control-click"
click_with_key "$x" "$y" ctrl
touch "$session/done-ctrlclick"

# 4. A fine drag of knob 7: Shift held from before the press to after the release.
wait_for need-fine 300 || fail "the host did not ask for the fine drag"
drag_up "$x" "$y" 100 began-2 shift
touch "$session/done-fine"

# 5. The wheel over knob 7: one notch up (button 4), one down (button 5) with Shift held.
wait_for need-wheel 300 || fail "the host did not ask for the wheel"
xdotool mousemove "$x" "$y"
pause 0.3
xdotool click 4
pause 0.3
xdotool keydown shift
pause 0.2
xdotool click 5
pause 0.3
xdotool keyup shift
touch "$session/done-wheel"

# 6. A quick click on the whitening switch (centre 140, 235).
wait_for need-switch 300 || fail "the host did not ask for the switch click"
xdotool mousemove $((ox + 140)) $((oy + 235))
pause 0.3
xdotool click 1
touch "$session/done-switch"

wait "$host_pid"
status=$?
host_pid=
cat "$log"
[ "$status" = 0 ] || exit "$status"

# The panel against the Windows DLL's.
windows=${OSTRAQUELLE_WINDOWS_PANEL:-$source/docs/editor.png}
linux=$session/panel.png
if ! command -v compare >/dev/null || [ ! -f "$windows" ]; then
  echo "editor_x11: no ImageMagick or no Windows panel ($windows): compared with the bitmaps only"
  exit 0
fi
source "$source/tests/scripts/lib/panel.sh"
# Differing pixels: everywhere but the displays, and within them beyond a given difference.
mask_displays "$windows" "$session/masked-windows.png" &&
  mask_displays "$linux" "$session/masked-linux.png" || fail "cannot mask the displays"
ae() { compare -metric AE "$@" null: 2>&1 | awk '{print int($1)}'; }
bitmaps=$(ae "$session/masked-windows.png" "$session/masked-linux.png")
any=$(ae "$windows" "$linux")
quarter=$(ae -fuzz 25% "$windows" "$linux")
half=$(ae -fuzz 50% "$windows" "$linux")
display_pixels=$panel_display_pixels
echo "against the Windows panel ($windows):"
echo "  outside the value displays: $bitmaps pixels differ"
echo "  in the value displays ($display_pixels pixels): $any differ, $quarter by more than 25% of full scale, $half by more than 50%"
[ "$bitmaps" = 0 ] || fail "the panel's bitmaps differ from the Windows panel"
# Text tolerance: glyph edges come from another rasteriser, so grey levels differ, but no
# pixel by more than half the full scale and at most 1 % of the display pixels by more than a
# quarter of it (a glyph moved by one pixel would exceed both).
[ "$half" = 0 ] || fail "text pixels differ from the Windows panel by more than half the scale"
[ "$quarter" -le $((display_pixels / 100)) ] || fail "too many text pixels differ from the Windows panel"
echo "panel screenshot: $linux"
