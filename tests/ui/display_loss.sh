#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window program when its display goes away or never answers: it must end with its own
# exit code, never crash (139) or abort with a core dump (134). During a read, the display goes
# while the held-read demo's port holds the read in its middle. A case that fails says what the
# program said and how it ended; an X server that has not started is reported as such, never
# handed to the program as an empty DISPLAY.
#   display_loss.sh DEMO HELD-READ-DEMO
set -uo pipefail
demo=$1
held_read_demo=$2
. "$(dirname "$0")/../support/waiting.sh"
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$scratch"' EXIT
failures=0
fail() { echo "display-loss: $*" >&2; failures=$((failures + 1)); }

# A DISPLAY where no X server answers: the program's own message and exit code 3.
output=$(env -u WAYLAND_DISPLAY DISPLAY=:97 QT_QPA_PLATFORM= "$demo" 2>&1)
status=$?
[ "$status" -eq 3 ] || fail "unreachable display: exit $status, not 3"
[[ $output == "$(basename "$demo"): error: the display could not be opened"* ]] ||
  fail "unreachable display: the program's own message is not first or alone: $output"

start_x() { start_xvfb "$scratch" -screen 0 800x600x24; }  # sets display and xserver
# Ends the case's X server, and waits until it has: a server still closing can take a later one's
# socket with it.
stop_x() { kill "$xserver" 2> /dev/null; wait "$xserver" 2> /dev/null; }

# What the program said and how it ended, for a case that failed.
ended() {  # PID
  local status=running
  kill -0 "$1" 2> /dev/null || { wait "$1"; status="exit $?"; }
  echo "($status; it said: $(tr '\n' ' ' < "$scratch/program.out"))"
}

# CASE: idle | read | dialog | destroyed
run_case() {
  start_x || { fail "$1: no X server to run it on"; return; }
  local program=$demo hold=$scratch/hold
  [ "$1" = read ] && { program=$held_read_demo; hold_reads "$hold"; }
  DISPLAY=$display LPT_TEST_HOLD=$hold QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= "$program" > "$scratch/program.out" 2>&1 &
  local pid=$!
  local window
  window=$(DISPLAY=$display wait_for_window 120 --pid "$pid" --name '^Korvane') ||
    { fail "$1: the window did not appear $(ended "$pid") on $display: $(DISPLAY=$display xdpyinfo 2>&1 | head -n 1); $(ss -xl | grep -c "X${display#:}\b") listening sockets"; stop_x; kill "$pid" 2> /dev/null; return; }
  case $1 in
    read) DISPLAY=$display xdotool mousemove --window "$window" 196 20 click 1
          wait_until 120 "the read to reach its hold" read_held "$hold" || fail "read: the read did not start" ;;
    dialog) DISPLAY=$display xdotool mousemove --window "$window" 196 20 click 1
            DISPLAY=$display wait_for_window 120 --pid "$pid" --name 'Save' > /dev/null || fail "dialog: no dialog" ;;
    destroyed) DISPLAY=$display xdotool windowclose "$window"
               wait_until 60 "the program to end without its window" eval '! kill -0 "$pid" 2> /dev/null' ||
                 fail "destroyed: still running without its window" ;;
  esac
  kill "$xserver"
  release_read "$hold"
  wait "$pid"
  local status=$?
  wait "$xserver" 2> /dev/null
  [ "$status" -eq 1 ] || fail "$1: exit $status, not 1 (it said: $(tr '\n' ' ' < "$scratch/program.out"))"
}
for case in idle read dialog destroyed; do run_case "$case"; done

[ "$failures" -eq 0 ] && echo "display-loss: every case ended cleanly"
exit "$failures"
