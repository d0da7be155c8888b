#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Reads each program's import table and fails on a DLL or function that Windows 7 SP1 lacks
# (the list beside this script): Windows refuses to start such a program.
#   imports_since_windows7.sh OBJDUMP LIST PROGRAM.exe...
set -uo pipefail
objdump=$1
list=$2
shift 2
failures=0
for program in "$@"; do
  imports=$("$objdump" -p "$program") || { echo "$program: no import table read" >&2; failures=$((failures + 1)); continue; }
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<< "$imports" | tr 'A-Z' 'a-z')
  functions=$(awk '/DLL Name:/ { inside = 1; next } inside && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }' <<< "$imports")
  while read -r kind name; do
    case $kind in
      '#'* | '') continue ;;
      dll) grep -qx "$name" <<< "$dlls" && { echo "$program imports $name, which Windows 7 lacks" >&2; failures=$((failures + 1)); } ;;
      *) grep -qx "$kind" <<< "$functions" && { echo "$program imports $kind, which Windows 7 lacks" >&2; failures=$((failures + 1)); } ;;
    esac
  done < "$list"
  echo "$program: $(wc -l <<< "$functions") functions from $(wc -l <<< "$dlls") DLLs"
done
exit "$failures"
