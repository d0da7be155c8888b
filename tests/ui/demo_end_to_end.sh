#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the demo window in a private X server and uses it as a person would: click the button,
# type a file name into the save dialog, press Return. Then checks the saved file.
#   demo_end_to_end.sh DEMO OUTPUT [IMAGE | --check]
# IMAGE is loaded into the emulated chip; with --check a random image is made, and the saved
# file must equal it byte for byte.
set -euo pipefail
if [ -z "${LPT_INSIDE_XVFB:-}" ]; then
  exec env LPT_INSIDE_XVFB=1 "$(dirname "$0")/../support/with-xvfb" "$0" "$@"
fi
demo=$1
output=$(realpath -m "$2")
image=${3:-}
. "$(dirname "$0")/../support/waiting.sh"
scratch=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT
pid=""
if [ "$image" = "--check" ]; then
  image="$scratch/chip.bin"
  head -c 2048 /dev/urandom > "$image"
fi
rm -f "$output"
# Qt warns on its first line when the session has no runtime folder (a machine without a
# desktop session): give it a private one, as a login would.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$scratch/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
fi

fail() { echo "end-to-end: $*" >&2; exit 1; }

# A platform theme of the desktop would swap in a native dialog; Qt's own is what is driven here.
QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME= "$demo" ${image:+"$image"} &
pid=$!

window=$(wait_for_window 120 --pid "$pid" --name '^Korvane \(emulated 25160\)$') || fail "the demo window did not appear"
xdotool mousemove --window "$window" 196 20 click 1

dialog=$(wait_for_window 120 --pid "$pid" --name 'Save') || fail "no save dialog appeared after the click"
timeout 60 xdotool windowfocus --sync "$dialog" || fail "the save dialog did not take the focus"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 5 "$output"
xdotool key Return

wait_until 60 "the dump to be saved" saved "$output" || true
[ -f "$output" ] || fail "no file was saved at $output"
[ "$(stat -c %s "$output")" -eq 2048 ] || fail "the saved file is $(stat -c %s "$output") bytes, not 2048"
if [ -n "$image" ]; then
  cmp "$image" "$output" || fail "the saved file differs from the chip's image"
fi
echo "end-to-end: the window read the emulated chip and saved $output (2048 bytes)"
