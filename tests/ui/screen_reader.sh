#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs screen_reader.py in a private X server and D-Bus session, where AT-SPI's bus and registry
# start on demand. Exit 77 (skipped) where AT-SPI's client library or services are missing.
#   screen_reader.sh DEMO OUTPUT
set -euo pipefail
if ! /usr/bin/python3 -c 'import pyatspi' 2> /dev/null || [ ! -x /usr/libexec/at-spi-bus-launcher ] ||
  ! command -v dbus-run-session > /dev/null; then
  echo "screen_reader: skipped: needs python3-pyatspi, at-spi2-core and dbus-daemon (tools/setup installs them)"
  exit 77
fi
here=$(dirname "$0")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_RUNTIME_DIR=$scratch/runtime  # a login's private runtime folder, as Qt expects one
mkdir -m 700 "$XDG_RUNTIME_DIR"
rm -f "$2"
"$here/../support/with-xvfb" dbus-run-session -- /usr/bin/python3 "$here/screen_reader.py" "$1" "$2"
