#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bus delay's length, counted in instructions rather than timed, so no load on the machine
# moves it: valgrind's callgrind counts what one SpinBusDelay executes. 10 x 10,000 inner
# iterations of a dec/jnz pair are 200,000 instructions and a few dozen around them.
#   bus_delay_instructions.sh BUS-DELAY-ONCE
set -uo pipefail
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
valgrind --tool=callgrind --callgrind-out-file="$scratch/out" --toggle-collect='SpinBusDelay*' "$1" \
  > "$scratch/log" 2>&1 || { cat "$scratch/log" >&2; exit 1; }
count=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$scratch/log")
echo "one bus delay: ${count:-?} instructions"
[ -n "$count" ] && [ "$count" -ge 199000 ] && [ "$count" -le 202000 ] ||
  { echo "the bus delay is not 10 x 10,000 iterations of one dec/jnz pair" >&2; exit 1; }
