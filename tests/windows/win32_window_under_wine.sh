#!/usr/bin/env bash
# lpt-tool.exe under Wine in a private X server, used as a person would: click the button,
# type a file name into the save dialog, save; a name that cannot be saved to; cancel.
#   win32_window_under_wine.sh LPT-TOOL.EXE STAND-IN.DLL STATUS-PROBE.EXE WINE-RUN
set -uo pipefail
if [ -z "${LPT_INSIDE_XVFB:-}" ]; then
  exec env LPT_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
exe=$1
standin=$2
probe=$3
wine=$4
scratch=$(mktemp -d)
trap '/usr/lib/wine/wineserver -k 2> /dev/null; rm -rf "$scratch"' EXIT
failures=0
fail() { echo "lpt-tool.exe: $*" >&2; failures=$((failures + 1)); }
status() { "$wine" "$probe" Korvane | tr -d '\r'; }
wait_for() {  # NAME: the id of a visible window of that title
  timeout 60 xdotool search --sync --onlyvisible --name "$1" 2> /dev/null | head -n 1
}
save_as() {  # NAME KEYS...: clicks the button, types NAME into the save dialog, then the keys
  local name=$1
  shift
  xdotool mousemove --window "$window" 196 20 click 1
  local dialog
  dialog=$(wait_for '^Save As$') || true
  [ -n "$dialog" ] || { fail "no save dialog after the click"; return 1; }
  xdotool windowfocus --sync "$dialog" 2> /dev/null
  [ -n "$name" ] && xdotool type --delay 10 "$name"
  xdotool key --delay 100 "$@"
  for _ in $(seq 100); do xdotool search --onlyvisible --name '^Save As$' > /dev/null || return 0; sleep 0.1; done
}

head -c 2048 /dev/urandom > "$scratch/chip.bin"
cp "$exe" "$standin" "$scratch/"
cd "$scratch"
LPT_STANDIN_IMAGE=chip.bin "$wine" --new-server lpt-tool.exe > wine.log 2>&1 &
window=$(wait_for '^Korvane$') || true
[ -n "$window" ] || { fail "the window did not appear"; exit 1; }
[ "$(xdotool getwindowgeometry "$window" | grep -o '[0-9]*x[0-9]*')" = "393x72" ] || fail "the client area is not 393 x 72"

save_as dump.bin alt+s
for _ in $(seq 100); do [ -f dump.bin ] && [ "$(stat -c %s dump.bin)" -eq 2048 ] && break; sleep 0.1; done
cmp -s chip.bin dump.bin || fail "the saved file is missing or differs from the chip"
[ "$(status)" = "File Saved" ] || fail "the status bar says \"$(status)\", not File Saved"

# LPT1 is the printer port, NUL a device that swallows the image: each save is refused with an
# error box, never "File Saved"; the window goes on.
for device in lpt1.bin NUL; do
  save_as "$device" alt+s
  box=""
  for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --name '^Korvane$' 2> /dev/null | grep -v "^$window$" | head -n 1)
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || fail "no error box for a save into $device"
  [ -n "$box" ] && { xdotool windowfocus --sync "$box" 2> /dev/null; xdotool key Return; }
  sleep 1
  [ "$(status)" = "File Saved" ] && fail "a save into $device said File Saved"
done

last=$(od -An -tu1 -j 2047 -N 1 chip.bin | tr -d ' ')
save_as "" Escape
[ "$(status)" = "Address : 2047, Content : $last" ] || fail "after cancel the status bar says \"$(status)\""

# A Space and a Return typed during the read (which handles no messages) are dropped: they
# neither start another read nor become the dialog's name and its confirmation.
xdotool mousemove --window "$window" 196 20 click 1
sleep 0.5
xdotool key --window "$window" space Return
dialog=$(wait_for '^Save As$') || true
[ -n "$dialog" ] || fail "no save dialog after a read with keys typed during it"
sleep 1
xdotool search --onlyvisible --name '^Save As$' > /dev/null || fail "the keys typed during the read closed the dialog"
[ -e " " ] && fail "the keys typed during the read saved a file named \" \""
xdotool windowfocus --sync "$dialog" 2> /dev/null
xdotool key Escape
sleep 2
xdotool search --onlyvisible --name '^Save As$' > /dev/null && fail "the keys typed during the read started another read"
[ "$(status)" = "Address : 2047, Content : $last" ] || fail "after keys during the read the status bar says \"$(status)\""

# Alt+F4 during the read: the dialog still opens and stays; the window closes after it.
xdotool mousemove --window "$window" 196 20 click 1
sleep 0.5
xdotool key --window "$window" alt+F4
dialog=$(wait_for '^Save As$') || true
[ -n "$dialog" ] || fail "Alt+F4 during the read dropped the save dialog"
sleep 1
xdotool search --onlyvisible --name '^Save As$' > /dev/null || fail "Alt+F4 during the read closed the dialog"
xdotool windowfocus --sync "$dialog" 2> /dev/null
xdotool key Escape
for _ in $(seq 50); do xdotool search --onlyvisible --name '^Korvane$' > /dev/null || break; sleep 0.1; done
xdotool search --onlyvisible --name '^Korvane$' > /dev/null && fail "Alt+F4 during the read was dropped"

[ "$failures" -eq 0 ] && echo "lpt-tool.exe: read and saved the chip, refused LPT1 and NUL in error boxes, kept the last byte on cancel, dropped keys typed during a read, closed after the dialog on Alt+F4"
exit "$failures"
