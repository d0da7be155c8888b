#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window's unit tests under Wine at 96, 120 and 144 DPI (100%, 125%, 150%), in a Wine prefix
# and X server of their own: the DPI is the prefix's, and the other tests' prefix stays at 96.
#   window_units_at_dpis.sh TESTS.EXE WINE-RUN
set -uo pipefail
if [ -z "${LPT_INSIDE_XVFB:-}" ]; then
  exec env LPT_INSIDE_XVFB=1 "$(dirname "$0")/../support/with-xvfb" "$0" "$@"
fi
tests=$1
wine=$2
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix
trap '/usr/lib/wine/wineserver -k 2> /dev/null; rm -rf "$scratch"' EXIT
failed=()
"$wine" --new-server cmd /c exit > /dev/null 2>&1
for dpi in 96 120 144; do
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null 2>&1
  # The DPI takes effect for a desktop started anew (Wine 10 keeps it in the running one).
  /usr/lib/wine/wineserver -w
  echo "== at $dpi DPI"
  "$wine" "$tests" || failed+=("$dpi")
done
[ ${#failed[@]} -eq 0 ] || { echo "the window's unit tests failed at ${failed[*]} DPI" >&2; exit 1; }
