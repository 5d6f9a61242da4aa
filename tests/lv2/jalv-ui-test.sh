#!/usr/bin/env bash
# The panel as an LV2 UI in a real host: jalv.gtk3 (through suil) on jackd's dummy backend,
# on a virtual display of its own. Checks that the panel opens embedded in jalv's window with
# the Windows panel's bitmaps (docs/editor.png), that a value set in the host (-c at start)
# moves its knob, that an xdotool drag moves a knob with jalv driving the UI's idle calls, and
# that 20 closes and reopens leave no window behind. jalv 1.6's -d dumps only atom messages,
# not a control port's float writes, so what the drag wrote is checked by unit_lv2_ui.
#   jalv-ui-test.sh <source dir> <bundle folder> <work dir>
# Exit 77 (skipped) without jalv.gtk3, jackd, Xvfb, xdotool, xwininfo, ImageMagick or the
# bundle's UI. With OSTRAQUELLE_JALV_SCREENSHOT=FILE the panel in jalv's window is saved there.
set -u
source=$1 bundle=$2 work=$3

for tool in jalv.gtk3 jackd Xvfb xdotool xwininfo import compare convert; do
  command -v "$tool" >/dev/null || { echo "jalv_ui: no $tool"; exit 77; }
done
[ -n "$bundle" ] && [ -f "$bundle/ostraquelle_ui.so" ] || { echo "jalv_ui: no LV2 UI in '$bundle'"; exit 77; }
windows=$source/docs/editor.png
[ -f "$windows" ] || { echo "jalv_ui: no $windows"; exit 77; }

rm -rf "$work"
mkdir -p "$work"
uri=urn:valtrisk:ostraquelle
xvfb_pid= jack_pid= jalv_pid=
stopped=0
stop() {  # stop PID-variable: ends that process if it runs, waits for it (status in $stopped)
  local pid=${!1}
  stopped=0
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  stopped=$?
  printf -v "$1" ''
}
cleanup() { stop jalv_pid; stop jack_pid; stop xvfb_pid; }
trap cleanup EXIT
trap 'exit 1' INT TERM
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.log; do [ -f "$f" ] && { echo "--- $f"; tail -n 20 "$f"; }; done
  exit 1
}

# A display and a JACK server of this test's own.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$work/display")
export JACK_DEFAULT_SERVER=ostraquelle-jalv-$$ JACK_NO_START_SERVER=1
jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
jack_pid=$!
# jalv started before the server answers exits at once (or crashes): wait for it first.
jack_wait -s "$JACK_DEFAULT_SERVER" -w -t 20 >"$work/jack_wait.log" 2>&1 ||
  fail "the JACK server did not start within 20 s"
# Only the bundle on the LV2 path (the build tree holds much else).
mkdir -p "$work/lv2"
ln -s "$(cd "$bundle" && pwd)" "$work/lv2/Ostraquelle.lv2"
export LV2_PATH=$work/lv2

windows_now() { xwininfo -root -tree | grep -c '^ *0x'; }
baseline=$(windows_now)

# The panel's window: the child of jalv's window with the panel's size.
panel=
start_jalv() {  # start_jalv LOG ARGS...: starts jalv and waits for the panel's window
  local log=$1
  shift
  panel=
  for attempt in 1 2 3; do
    jalv.gtk3 -d "$@" "$uri" >"$work/$log" 2>&1 </dev/null &
    jalv_pid=$!
    for _ in $(seq 150); do
      kill -0 "$jalv_pid" 2>/dev/null || break
      panel=$(xwininfo -root -tree | awk '/\(has no name\): \(\)  368x412\+0\+0/ { id = $1 } END { print id }')
      [ -n "$panel" ] && return 0
      sleep 0.1
    done
    # jackd may not be up yet on a loaded machine: jalv then exits at once.
    stop jalv_pid
    sleep 1
  done
  fail "jalv.gtk3 showed no panel ($log)"
}
# The panel as the server has it drawn; waits until two captures agree (drawing is done).
capture() {
  local previous=
  for _ in $(seq 20); do
    sleep 0.3
    import -window "$panel" "$work/$1.png" 2>/dev/null || continue
    [ -n "$previous" ] && [ "$(compare -metric AE "$previous" "$work/$1.png" null: 2>&1)" = 0 ] &&
      return 0
    cp "$work/$1.png" "$work/$1-previous.png"
    previous=$work/$1-previous.png
  done
  fail "cannot capture the panel"
}
ae() { compare -metric AE "$@" null: 2>&1 | awk '{ print int($1) }'; }
# The value displays' text comes from another rasteriser than the Windows panel's: they are
# masked as editor_x11.sh masks them.
source "$source/tests/scripts/lib/panel.sh"
box_ae() {  # box_ae A B LEFT TOP RIGHT BOTTOM: differing pixels inside the box
  local geometry=$(($5 - $3))x$(($6 - $4))+$3+$4
  convert "$1" -crop "$geometry" +repage "$work/box-a.png" &&
    convert "$2" -crop "$geometry" +repage "$work/box-b.png" &&
    ae "$work/box-a.png" "$work/box-b.png"
}

# 1. A value set in the host at start: Voco-Vol at -30 dB (its knob at 276,68 to 308,100).
#    Everything but that knob and the displays has the Windows panel's pixels.
start_jalv set.log -c voco_vol=-30
capture set
convert "$windows" "$work/windows.png"
mask_displays "$work/windows.png" "$work/windows-masked.png" && mask_displays "$work/set.png" "$work/set-masked.png" ||
  fail "cannot mask the displays"
convert "$work/windows-masked.png" -fill magenta -draw "rectangle 276,68 308,100" "$work/windows-masked.png"
convert "$work/set-masked.png" -fill magenta -draw "rectangle 276,68 308,100" "$work/set-masked.png"
elsewhere=$(ae "$work/windows-masked.png" "$work/set-masked.png")
moved=$(box_ae "$work/windows.png" "$work/set.png" 276 68 308 100)
echo "voco_vol=-30 at start: $elsewhere pixels differ from $windows outside the displays and that knob, $moved inside the knob"
[ "$elsewhere" = 0 ] || fail "the panel in jalv differs from the Windows panel's bitmaps"
[ "$moved" -gt 0 ] || fail "the value set in the host did not move its knob"
[ -n "${OSTRAQUELLE_JALV_SCREENSHOT:-}" ] && import -window root -crop 368x440+0+0 "$OSTRAQUELLE_JALV_SCREENSHOT"
stop jalv_pid

# 2. At the defaults the whole panel, displays aside, is the Windows panel; a drag up on the
#    Pred-Order knob (centre 104, 80) then turns it.
start_jalv drag.log
capture defaults
mask_displays "$work/defaults.png" "$work/defaults-masked.png"
mask_displays "$work/windows.png" "$work/windows-masked.png"
differ=$(ae "$work/windows-masked.png" "$work/defaults-masked.png")
echo "at the defaults: $differ pixels differ from $windows outside the displays"
[ "$differ" = 0 ] || fail "the panel at the defaults differs from the Windows panel's bitmaps"
read -r px py < <(xwininfo -id "$panel" |
  awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } END { print x, y }')
x=$((px + 104)) y=$((py + 80))
xdotool mousemove "$x" "$y"
sleep 0.3
xdotool mousedown 1
sleep 0.3
for step in $(seq 10 10 100); do
  xdotool mousemove "$x" $((y - step))
  sleep 0.05
done
sleep 0.3
xdotool mouseup 1
capture dragged
knob=$(box_ae "$work/defaults.png" "$work/dragged.png" 88 64 120 96)
display=$(box_ae "$work/defaults.png" "$work/dragged.png" 80 100 128 116)
echo "drag on Pred-Order: $knob knob pixels and $display display pixels changed"
[ "$knob" -gt 0 ] || fail "the knob did not follow the drag"
[ "$display" -gt 0 ] || fail "the value display did not follow the drag"
stop jalv_pid

# 3. 20 closes and reopens: jalv quits on SIGTERM, freeing the UI (its cleanup must not crash
#    or hang); no window may remain. jalv cannot reopen a UI within one run, so each cycle is
#    a run of its own.
for cycle in $(seq 20); do
  start_jalv cycle.log
  open_windows=$(windows_now)
  [ "$open_windows" -gt "$baseline" ] || fail "cycle $cycle: the windows are not counted"
  stop jalv_pid
  # SIGTERM ends jalv with 0 or 143; a crash in the UI's cleanup with another status.
  [ "$stopped" = 0 ] || [ "$stopped" = 143 ] || fail "cycle $cycle: jalv ended with status $stopped"
  grep -qE 'Sanitizer|runtime error|Segmentation|Abort' "$work/cycle.log" &&
    fail "cycle $cycle: jalv reported a fault"
done
left=$(windows_now)
echo "20 open/close cycles: $left windows on the display, $baseline before the first"
[ "$left" = "$baseline" ] || fail "windows left behind: $left, before $baseline"
echo "jalv_ui: passed"
