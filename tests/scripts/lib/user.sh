# The user's side of an editor session, played with xdotool; sourced by editor_e2e.sh and
# editor_x11.sh. The host program waits in $session: it writes need-<step> when it is ready for
# a step and goes on when done-<step> appears; each begin of edit it receives makes began-<n>.
# The caller sets session, log, host_pid and, optionally, slow (how many times slower than
# usual the host program reacts; 1 by default).

fail() { echo "FAIL: $*"; [ -f "$log" ] && tr -d '\r' <"$log"; exit 1; }

# Sleeps $1 seconds times the slow-down: the program must have seen each step of the user.
pause() { sleep "$(awk -v s="$1" -v f="${slow:-1}" 'BEGIN { print s * f }')"; }

# Waits up to $2 tenths of a second (times the slow-down) for file $1 of the session.
wait_for() {
  for _ in $(seq $(($2 * ${slow:-1}))); do
    [ -e "$session/$1" ] && return 0
    kill -0 "$host_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Drags up from (x, y) by $3 pixels: press, wait until the plug-in has reported the begin of
# the edit (file $4), move in steps, release. With $5, that key is held from before the press
# to after the release.
drag_up() {
  local x=$1 y=$2 distance=$3 began=$4 key=${5:-} step
  xdotool mousemove "$x" "$y"
  pause 0.3
  if [ -n "$key" ]; then xdotool keydown "$key"; pause 0.2; fi
  xdotool mousedown 1
  wait_for "$began" 100 || fail "the knob did not take the press${key:+ with $key held}"
  for step in $(seq 10 10 "$distance"); do
    xdotool mousemove "$x" $((y - step))
    pause 0.05
  done
  pause 0.3
  xdotool mouseup 1
  if [ -n "$key" ]; then pause 0.1; xdotool keyup "$key"; fi
}

# A click at (x, y) with key $3 held: the pointer goes onto the control before the key goes
# down (without a window manager keys go to the window under the pointer).
click_with_key() {
  xdotool mousemove "$1" "$2"
  pause 0.3
  xdotool keydown "$3"
  pause 0.2
  xdotool mousedown 1
  pause 0.3
  xdotool mouseup 1
  pause 0.1
  xdotool keyup "$3"
}
