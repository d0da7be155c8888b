#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# lpt-tool.exe under Wine in a private X server, used as a person would: click the button,
# type a file name into the save dialog, save; a name that cannot be saved to; cancel; keys and
# Alt+F4 during a read. The stand-in DLL holds those reads in their middle until the keys are
# in, so they land during the read whatever the machine's load.
#   win32_window_under_wine.sh LPT-TOOL.EXE STAND-IN.DLL STATUS-PROBE.EXE WINE-RUN
set -uo pipefail
if [ -z "${LPT_INSIDE_XVFB:-}" ]; then
  exec env LPT_INSIDE_XVFB=1 "$(dirname "$0")/../support/with-xvfb" "$0" "$@"
fi
exe=$1
standin=$2
probe=$3
wine=$4
. "$(dirname "$0")/../support/waiting.sh"
scratch=$(mktemp -d)
trap '/usr/lib/wine/wineserver -k 2> /dev/null; rm -rf "$scratch"' EXIT
failures=0
fail() { echo "lpt-tool.exe: $*" >&2; failures=$((failures + 1)); }
status() { "$wine" "$probe" Korvane | tr -d '\r'; }
status_is() { [ "$(status)" = "$1" ]; }
click_read() { xdotool mousemove --window "$window" 196 20 click 1; }
# In the save dialog that a read opens: types NAME (if any), then the keys; waits for the dialog
# to close.
answer_dialog() {  # NAME KEYS...
  local name=$1 dialog
  shift
  dialog=$(wait_for_window 120 --name '^Save As$') || { fail "no save dialog after the read"; return 1; }
  timeout 60 xdotool windowfocus --sync "$dialog" 2> /dev/null
  [ -n "$name" ] && xdotool type --delay 10 "$name"
  xdotool key --delay 100 "$@"
  wait_until 60 "the save dialog to close" no_window --name '^Save As$' || fail "the save dialog stayed open"
}
save_as() {  # NAME KEYS...: a read started by a click, then the dialog answered
  click_read
  answer_dialog "$@"
}

head -c 2048 /dev/urandom > "$scratch/chip.bin"
cp "$exe" "$standin" "$scratch/"
cd "$scratch"
hold=$scratch/hold
LPT_STANDIN_IMAGE=chip.bin LPT_STANDIN_HOLD=$hold "$wine" --new-server lpt-tool.exe > wine.log 2>&1 &
window=$(wait_for_window 120 --name '^Korvane$') || { fail "the window did not appear ($(tail -n 3 wine.log))"; exit 1; }
[ "$(xdotool getwindowgeometry "$window" | grep -o '[0-9]*x[0-9]*')" = "393x72" ] || fail "the client area is not 393 x 72"

save_as dump.bin alt+s
wait_until 60 "dump.bin to be saved" saved dump.bin
cmp -s chip.bin dump.bin || fail "the saved file is missing or differs from the chip"
status_is "File Saved" || fail "the status bar says \"$(status)\", not File Saved"

# LPT1 is the printer port, NUL a device that swallows the image: each save is refused with an
# error box, never "File Saved", and the dialog opens again for the same image (cancelled here).
error_box() { xdotool search --onlyvisible --name '^Korvane$' 2> /dev/null | grep -v "^$window$" | head -n 1; }
an_error_box() { [ -n "$(error_box)" ]; }
no_error_box() { [ -z "$(error_box)" ]; }
for device in lpt1.bin NUL; do
  save_as "$device" alt+s
  if wait_until 60 "an error box for a save into $device" an_error_box; then
    timeout 60 xdotool windowfocus --sync "$(error_box)" 2> /dev/null
    xdotool key Return
    wait_until 60 "the error box for $device to close" no_error_box || fail "the error box for $device stayed open"
    answer_dialog "" Escape
  else
    fail "no error box for a save into $device"
  fi
  status_is "File Saved" && fail "a save into $device said File Saved"
done

last=$(od -An -tu1 -j 2047 -N 1 chip.bin | tr -d ' ')
save_as "" Escape
status_is "Address : 2047, Content : $last" || fail "after cancel the status bar says \"$(status)\""

# A Space and a Return typed during the read (which handles no messages) are dropped: they
# neither become the dialog's name and its confirmation nor start another read. The dialog then
# takes the name typed into it (so it stayed open, and the keys before it were not in it), and
# no other dialog follows.
hold_reads "$hold"
click_read
if wait_until 120 "the read to reach its hold" read_held "$hold"; then
  xdotool key --window "$window" space Return
  release_read "$hold"
  answer_dialog after-keys.bin alt+s
  wait_until 60 "after-keys.bin to be saved" saved after-keys.bin || fail "the keys typed during the read closed the dialog"
  cmp -s chip.bin after-keys.bin || fail "after keys during the read, the saved file differs from the chip"
  [ -e " " ] && fail "the keys typed during the read saved a file named \" \""
  no_window --name '^Save As$' || fail "the keys typed during the read started another read"
  status_is "File Saved" || fail "after keys during the read the status bar says \"$(status)\""
else
  fail "the read did not start after the click"
  release_read "$hold"
fi

# Alt+F4 during the read: the dialog still opens and stays; the window closes after it.
hold_reads "$hold"
click_read
if wait_until 120 "the read to reach its hold" read_held "$hold"; then
  xdotool key --window "$window" alt+F4
  release_read "$hold"
  answer_dialog after-close.bin alt+s
  wait_until 60 "after-close.bin to be saved" saved after-close.bin || fail "Alt+F4 during the read closed the dialog"
  wait_until 60 "the window to close" no_window --name '^Korvane$' || fail "Alt+F4 during the read was dropped"
else
  fail "the read did not start after the click"
  release_read "$hold"
fi

[ "$failures" -eq 0 ] && echo "lpt-tool.exe: read and saved the chip, refused LPT1 and NUL in error boxes and asked again, kept the last byte on cancel, dropped keys typed during a read, closed after the dialog on Alt+F4"
exit "$failures"
