#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# lpt-tool.exe as on Windows 7 (Wine's version set to win7), at 96 and at 144 DPI (150%): the
# window appears at its size for that DPI, reads the chip and saves it.
#   win7_window_under_wine.sh LPT-TOOL.EXE STAND-IN.DLL WINE-RUN
set -uo pipefail
if [ -z "${LPT_INSIDE_XVFB:-}" ]; then
  exec env LPT_INSIDE_XVFB=1 "$(dirname "$0")/../support/with-xvfb" "$0" "$@"
fi
exe=$1
standin=$2
wine=$3
. "$(dirname "$0")/../support/waiting.sh"
scratch=$(mktemp -d)
# A prefix of its own: the Windows version and the DPI stay out of the other tests' prefix.
export WINEPREFIX=$scratch/prefix
trap '/usr/lib/wine/wineserver -k 2> /dev/null; rm -rf "$scratch"' EXIT
failures=0
fail() { echo "lpt-tool.exe as on Windows 7: $*" >&2; failures=$((failures + 1)); }

head -c 2048 /dev/urandom > "$scratch/chip.bin"
cp "$exe" "$standin" "$scratch/"
cd "$scratch"
"$wine" --new-server winecfg -v win7 > /dev/null 2>&1
for dpi in 96 144; do
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null 2>&1
  # The DPI takes effect for a desktop started anew (Wine 10 keeps it in the running one): the
  # server and its programs end first. The window, a program of the server's all the while it is
  # used, starts the next one.
  /usr/lib/wine/wineserver -w
  LPT_STANDIN_IMAGE=chip.bin "$wine" lpt-tool.exe > wine.log 2>&1 &
  # The prefix was only just made: its first programs start slowly on a busy machine.
  window=$(wait_for_window 180 --name '^Korvane$') ||
    { fail "$dpi DPI: the window did not appear ($(tail -n 3 wine.log))"; continue; }
  scaled() { echo $((($1 * dpi + 48) / 96)); }
  size=$(xdotool getwindowgeometry "$window" | grep -o '[0-9]*x[0-9]*')
  [ "$size" = "$(scaled 393)x$(scaled 72)" ] || fail "$dpi DPI: the client area is $size"
  xdotool mousemove --window "$window" "$(scaled 196)" "$(scaled 20)" click 1
  dialog=$(wait_for_window 120 --name '^Save As$') || { fail "$dpi DPI: no save dialog after the click"; continue; }
  timeout 60 xdotool windowfocus --sync "$dialog" 2> /dev/null
  xdotool type --delay 10 "dump-$dpi.bin"
  xdotool key --delay 100 alt+s
  wait_until 60 "dump-$dpi.bin to be saved" saved "dump-$dpi.bin"
  cmp -s chip.bin "dump-$dpi.bin" || fail "$dpi DPI: the saved file is missing or differs from the chip"
  /usr/lib/wine/wineserver -k 2> /dev/null
  wait
done
[ "$failures" -eq 0 ] && echo "lpt-tool.exe as on Windows 7: read and saved the chip at 96 and 144 DPI, at the size for each"
exit "$failures"
