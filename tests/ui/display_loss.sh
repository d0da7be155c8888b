#!/usr/bin/env bash
# The window program when its display goes away or never answers: it must end with its own
# exit code, never crash (139) or abort with a core dump (134).
#   display_loss.sh DEMO
set -uo pipefail
demo=$1
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$scratch"' EXIT
failures=0
fail() { echo "display-loss: $*" >&2; failures=$((failures + 1)); }

# A DISPLAY where no X server answers: the program's own message and exit code 3.
output=$(env -u WAYLAND_DISPLAY DISPLAY=:97 QT_QPA_PLATFORM= "$demo" 2>&1)
status=$?
[ "$status" -eq 3 ] || fail "unreachable display: exit $status, not 3"
grep -q "the display could not be opened" <<< "$output" || fail "unreachable display: no message of its own"

start_x() {  # starts a private X server; sets display and xserver
  Xvfb -displayfd 3 -screen 0 800x600x24 3> "$scratch/display" 2> /dev/null &
  xserver=$!
  for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  display=":$(cat "$scratch/display")"
}

# CASE: idle | read | dialog | destroyed
run_case() {
  start_x
  DISPLAY=$display QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= "$demo" > /dev/null 2>&1 &
  local pid=$!
  local window
  window=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name '^Korvane' | head -n 1)
  [ -n "$window" ] || { fail "$1: the window did not appear"; kill "$xserver"; return; }
  case $1 in
    read) DISPLAY=$display xdotool mousemove --window "$window" 196 20 click 1; sleep 0.4 ;;
    dialog) DISPLAY=$display xdotool mousemove --window "$window" 196 20 click 1
            DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name 'Save' > /dev/null ;;
    destroyed) DISPLAY=$display xdotool windowclose "$window"
               for _ in $(seq 30); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
               kill -0 "$pid" 2> /dev/null && fail "destroyed: still running without its window" ;;
  esac
  kill "$xserver"
  wait "$pid"
  local status=$?
  [ "$status" -eq 1 ] || fail "$1: exit $status, not 1"
  rm -f "$scratch/display"
}
for case in idle read dialog destroyed; do run_case "$case"; done

[ "$failures" -eq 0 ] && echo "display-loss: every case ended cleanly"
exit "$failures"
