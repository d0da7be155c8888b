#!/usr/bin/env bash
# The demo window in a private X server, with a person typing while a read runs (the read
# handles no events): the keys must not start another read nor fill in the save dialog.
#   input_during_read.sh DEMO
set -uo pipefail
if [ -z "${LPT_INSIDE_XVFB:-}" ]; then
  exec env LPT_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
demo=$1
scratch=$(mktemp -d)
trap 'kill "$pid" 2> /dev/null; rm -rf "$scratch"' EXIT
cd "$scratch"
failures=0
fail() { echo "input during a read: $*" >&2; failures=$((failures + 1)); }
wait_for() {  # NAME: the id of the demo's visible window of that title
  timeout 20 xdotool search --all --sync --onlyvisible --pid "$pid" --name "$1" 2> /dev/null | head -n 1
}
dialogs() { xdotool search --all --onlyvisible --pid "$pid" --name 'Save' 2> /dev/null | wc -l; }
start() {
  QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= "$demo" &
  pid=$!
  window=$(wait_for '^Korvane \(emulated 25160\)$')
  xdotool windowfocus --sync "$window"
  xdotool mousemove --window "$window" 196 20 click 1
  sleep 0.2  # the read runs for a second
}

# A Space and a Return typed during the read: no save, no second read.
start
xdotool key --window "$window" space Return
dialog=$(wait_for 'Save') || true
[ -n "$dialog" ] || fail "no save dialog after the read"
sleep 1
[ "$(dialogs)" -eq 1 ] || fail "the keys typed during the read closed the dialog or started another read"
[ -z "$(ls)" ] || fail "a file was saved that nobody chose: $(ls)"
xdotool windowfocus --sync "$dialog" key Escape
sleep 1.5
[ "$(dialogs)" -eq 0 ] || fail "another read and dialog followed the one that was clicked"
kill "$pid"

[ "$failures" -eq 0 ] && echo "input during a read: the keys typed were dropped"
exit "$failures"
