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
# one is there; after SECONDS, prints nothing and returns 1 (with a line on standard error).
wait_for_window() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds)) id
  while :; do
    id=$(visible_window "$@")
    [ -n "$id" ] && { echo "$id"; return 0; }
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
