# SPDX-License-Identifier: MIT
# Waiting in the shell tests, sourced by them: each wait is for an event, polled until it comes
# or a deadline passes. The deadlines are several times what an idle machine needs, as a loaded
# one (other builds beside the suite) can be many times slower; a wait that runs out says what it
# waited for, and the test reports that as its failure.

# wait_until SECONDS WHAT COMMAND...: returns once COMMAND succeeds; after SECONDS, prints
# "waited SECONDS s for WHAT" on standard error and returns 1.
wait_until() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "waited $seconds s for $what" >&2
      return 1
    fi
    sleep 0.1
  done
}

# visible_window SEARCH...: the id of the first visible window that `xdotool search --onlyvisible
# SEARCH...` finds, or nothing. A window that closes during a search makes xdotool die of an X
# error (BadWindow); that is taken as no window found, and the next poll looks again.
visible_window() {
  xdotool search --all --onlyvisible "$@" 2> /dev/null | head -n 1 || true
}

# wait_for_window SECONDS SEARCH...: prints the id of a visible window that SEARCH finds, once
# one is there; after SECONDS, or as soon as the process a `--pid PID` in SEARCH names has ended,
# prints nothing and returns 1 (with a line on standard error).
wait_for_window() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds)) id pid="" argument previous=""
  for argument in "$@"; do
    [ "$previous" = --pid ] && pid=$argument
    previous=$argument
  done
  while :; do
    id=$(visible_window "$@")
    [ -n "$id" ] && { echo "$id"; return 0; }
    if [ -n "$pid" ] && ! kill -0 "$pid" 2> /dev/null; then
      echo "process $pid ended without a visible window: $*" >&2
      return 1
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "waited $seconds s for a visible window: $*" >&2
      return 1
    fi
    sleep 0.1
  done
}

# no_window SEARCH...: true while no visible window matches (for wait_until).
no_window() { [ -z "$(visible_window "$@")" ]; }

# saved FILE: true once FILE holds a whole image (2048 bytes).
saved() { [ -f "$1" ] && [ "$(stat -c %s "$1")" -eq 2048 ]; }

# A read held in its middle (tests/support/ReadHold.h): hold_reads HOLD-FILE makes every later
# read stop at about its tenth while the file exists; read_held HOLD-FILE is true once a read
# has stopped there; release_read HOLD-FILE lets it go on and clears the sign for the next one.
hold_reads() { : > "$1"; rm -f "$1-reached"; }
read_held() { [ -e "$1-reached" ]; }
release_read() { rm -f "$1" "$1-reached"; }

# start_xvfb FOLDER [XVFB-OPTIONS...]: starts a private X server and waits until a client has
# been served; sets `xserver` (its process) and `display`. False, with Xvfb's words on standard
# error, when none started. The number is picked at random from 100-999, not by -displayfd (the
# lowest free number, which two tests starting at once both try, and which a server that another
# test is just ending still holds): with the suite's X tests two and three at once, a program
# found no server at its first connection about once in 12 rounds. Those failures came within
# 0.2 s of Xvfb saying it was ready, and also on numbers no other server had used; so the server
# must also have answered a first client (xdpyinfo), and -noreset keeps it from starting over
# when that client leaves.
start_xvfb() {
  local folder=$1 attempt
  shift
  for attempt in 1 2 3 4 5 6 7 8; do
    local number=$((100 + RANDOM % 900))
    rm -f "$folder/ready"
    Xvfb ":$number" -displayfd 3 -nolisten tcp -noreset "$@" 3> "$folder/ready" 2> "$folder/xvfb.log" &
    xserver=$!
    wait_until 120 "Xvfb to start on :$number" eval '[ -s "$folder/ready" ] || ! kill -0 "$xserver" 2> /dev/null'
    if [ -s "$folder/ready" ] && kill -0 "$xserver" 2> /dev/null &&
      wait_until 120 "Xvfb to serve a client on :$number" eval \
        'DISPLAY=:$number xdpyinfo > /dev/null 2>&1 || ! kill -0 "$xserver" 2> /dev/null' &&
      kill -0 "$xserver" 2> /dev/null; then
      display=:$number
      return 0
    fi
    kill "$xserver" 2> /dev/null
    wait "$xserver" 2> /dev/null  # a number another server holds: Xvfb ends at once
  done
  echo "no X server started: $(cat "$folder/xvfb.log")" >&2
  return 1
}
