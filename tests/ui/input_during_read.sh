#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The demo window in a private X server, with a person typing while a read runs (the read
# handles no events): the keys must not start another read nor fill in the save dialog. The
# window's port holds the read in its middle until the keys are in, so they land during the
# read whatever the machine's load.
#   input_during_read.sh HELD-READ-DEMO
set -uo pipefail
if [ -z "${LPT_INSIDE_XVFB:-}" ]; then
  exec env LPT_INSIDE_XVFB=1 "$(dirname "$0")/../support/with-xvfb" "$0" "$@"
fi
demo=$1
. "$(dirname "$0")/../support/waiting.sh"
scratch=$(mktemp -d)
trap 'kill "$pid" 2> /dev/null; rm -rf "$scratch"' EXIT
cd "$scratch"
failures=0
fail() { echo "input during a read: $*" >&2; failures=$((failures + 1)); }
dialog() { visible_window --pid "$pid" --name 'Save'; }
no_dialog() { [ -z "$(dialog)" ]; }

hold=$scratch/hold
hold_reads "$hold"
LPT_TEST_HOLD=$hold QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= "$demo" &
pid=$!
window=$(wait_for_window 120 --pid "$pid" --name '^Korvane \(emulated 25160\)$') || { fail "the window did not appear"; exit 1; }
timeout 60 xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" 196 20 click 1
wait_until 120 "the read to reach its hold" read_held "$hold" || { fail "the read did not start after the click"; exit 1; }

# A Space and a Return typed during the read, then the read goes on. The dialog then takes the
# name typed into it (so the keys neither confirmed it nor stood in its name field), and no
# second read and dialog follow.
xdotool key --window "$window" space Return
release_read "$hold"
box=$(wait_for_window 120 --pid "$pid" --name 'Save') || { fail "no save dialog after the read"; exit 1; }
timeout 60 xdotool windowfocus --sync "$box"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 5 "$scratch/after-keys.bin"
xdotool key Return
wait_until 60 "after-keys.bin to be saved" saved after-keys.bin || fail "the keys typed during the read closed the dialog"
[ "$(ls | grep -v -e '^after-keys.bin$' -e '^hold')" = "" ] || fail "a file was saved that nobody chose: $(ls)"
wait_until 60 "the dialog to close" no_dialog || fail "the dialog stayed open after the save"
no_dialog || fail "another read and dialog followed the one that was clicked"
kill "$pid"

[ "$failures" -eq 0 ] && echo "input during a read: the keys typed were dropped"
exit "$failures"
