#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window programs' command lines: --help and --version answer without a display and without
# the port, a full standard output is an error, and what neither the program nor Qt takes is
# named with the usage.   window_command_line.sh LPT-TOOL LPT-TOOL-DEMO
set -uo pipefail
tool=$1
demo=$2
failures=0
fail() { echo "window command line: $*" >&2; failures=$((failures + 1)); }
# No display at all: a program that went on to its window would say so and exit 3.
bare() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

for program in "$tool" "$demo"; do
  name=$(basename "$program")
  out=$(bare "$program" --help 2>&1) && [[ $out == "usage: $name "* ]] || fail "$name --help: $out"
  out=$(bare "$program" -h 2>&1) && [[ $out == "usage: $name "* ]] || fail "$name -h: $out"
  out=$(bare "$program" --version 2>&1) && [[ $out == "$name "[0-9]*"MIT License"* ]] || fail "$name --version: $out"
  err=$(bare "$program" --version 2>&1 > /dev/full)
  [ $? -eq 1 ] && [[ $err == *"$name: error: write error on standard output"* ]] || fail "$name --version > /dev/full: $err"
  # An unknown option beside Qt's own, read before a display is looked for: named, with the
  # usage, exit 2, also where there is no display at all.
  for option in --bogus -bogus; do
    err=$(bare "$program" -style fusion "$option" 2>&1 > /dev/null)
    [ $? -eq 2 ] && [[ $err == *"$name: error: unknown option '$option'"*"usage: $name"* ]] || fail "$name $option: $err"
  done
  err=$(bare "$program" -style 2>&1 > /dev/null)
  [ $? -eq 2 ] && [[ $err == *"$name: error: -style needs a value"* ]] || fail "$name -style without its value: $err"
done
err=$(bare "$tool" stray.bin 2>&1 > /dev/null)
[ $? -eq 2 ] && [[ $err == *"unexpected argument 'stray.bin'"* ]] || fail "lpt-tool stray.bin: $err"
err=$(bare "$demo" one.bin two.bin 2>&1 > /dev/null)
[ $? -eq 2 ] && [[ $err == *"unexpected argument 'two.bin'"* ]] || fail "lpt-tool-demo one.bin two.bin: $err"
# A bad IMAGE is told as lpt-dump tells it: exit 3.
err=$(QT_QPA_PLATFORM=offscreen "$demo" /dev/null 2>&1 > /dev/null)
[ $? -eq 3 ] && [[ $err == *"lpt-tool-demo: error: "*"not a plain file"* ]] || fail "lpt-tool-demo /dev/null: $err"
[ "$failures" -eq 0 ] && echo "window command line: --help, --version, a full output and unknown arguments as expected"
exit "$failures"
