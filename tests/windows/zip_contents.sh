#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows zip as a user unpacks it: the three programs, README.txt and LICENSE.txt with
# Windows line ends, a README written for Windows users of the zip's bitness, and every picture
# it names.
#   zip_contents.sh BUILD-FOLDER
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cpack --config "$build/CPackConfig.cmake" -G ZIP -B "$scratch/package" > /dev/null
mkdir "$scratch/unpacked"
(cd "$scratch/unpacked" && cmake -E tar xf "$(echo "$scratch"/package/*.zip)")
root=$(echo "$scratch"/unpacked/*)
failures=0
fail() { echo "zip: $*" >&2; failures=$((failures + 1)); }
for file in lpt-tool.exe lpt-tool-demo.exe lpt-dump.exe README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  [ -s "$root/$file" ] || fail "$file is missing"
done
for text in README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt; do
  [ -s "$root/$text" ] || continue
  grep -q $'[^\r]$' "$root/$text" && fail "$text has lines without a Windows line end"
done
for picture in $(grep -o -E 'docs\\[^ ]+' "$root/README.txt" | tr -d '\r' | tr '\\' /); do
  [ -s "$root/$picture" ] || fail "the README names $picture, which is not in the zip"
done
# Written for Windows users of this zip: Windows' port forms and the DLL of its bitness, no
# Linux device or Markdown, and the license by the name it has in the zip.
dll=$(case "$root" in *x64) echo inpoutx64.dll ;; *) echo inpout32.dll ;; esac)
grep -q "Copy $dll from InpOut" "$root/README.txt" || fail "the README does not say where $dll goes"
grep -q -- "--port 0xD010" "$root/README.txt" || fail "the README gives no Windows port form"
grep -q "LICENSE.txt" "$root/README.txt" || fail "the README does not name LICENSE.txt"
grep -q "^First dump" "$root/README.txt" || fail "the README has no first dump"
grep -q "InpOutx64 by Phil Gibbs" "$root/README.txt" || fail "the README does not say whose InpOut is"
grep -q "turn it back on" "$root/README.txt" || fail "the README does not say to turn Memory Integrity back on"
grep -q -E '/dev/|parport|```|@[A-Z_]+@' "$root/README.txt" && fail "the README has Linux forms, Markdown or placeholders"
# Every library that the link maps show inside a program has its licence in the notices.
for map in lpt-tool lpt-tool-demo lpt-dump; do
  [ -s "$build/$map.map" ] || fail "no link map $map.map in $build"
done
while read -r archive heading; do
  if grep -q -F "/$archive(" "$build"/lpt-tool.map "$build"/lpt-tool-demo.map "$build"/lpt-dump.map 2> /dev/null; then
    # Each library's part starts with "== NAME (what it does)".
    grep -q -F -- "== $heading (" "$root/THIRD-PARTY-NOTICES.txt" || fail "$archive is linked in, but the notices lack \"$heading\""
  fi
done <<'LIBRARIES'
libwinpthread.a winpthreads
libpthread.a winpthreads
libmingw32.a MinGW-w64 runtime
libmingwex.a MinGW-w64 runtime
libz.a zlib
libstdc++.a libstdc++, libgcc and libssp
libgcc.a libstdc++, libgcc and libssp
libgcc_eh.a libstdc++, libgcc and libssp
libssp.a libstdc++, libgcc and libssp
LIBRARIES
# Header-only libraries leave nothing in a link map: each is listed here with a file of its own
# that a program's sources include, and the notices must hold it when one does.
while read -r header heading; do
  if grep -r -q -F "#include <$header>" "$(dirname "$0")/../../cli" "$(dirname "$0")/../../ui"; then
    grep -q -F -- "== $heading (" "$root/THIRD-PARTY-NOTICES.txt" || fail "$header is compiled in, but the notices lack \"$heading\""
  fi
done <<'HEADER_ONLY'
CLI/CLI.hpp CLI11
HEADER_ONLY
# Hardened: address space layout randomisation and no execution from data (DllCharacteristics
# DYNAMIC_BASE 0x40 and NX_COMPAT 0x100), and the stack protector (libssp) in every program.
for program in lpt-tool lpt-tool-demo lpt-dump; do
  [ -s "$root/$program.exe" ] || continue
  flags=$(objdump -p "$root/$program.exe" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
  (((16#${flags:-0} & 0x140) == 0x140)) || fail "$program.exe lacks ASLR or NX (DllCharacteristics ${flags:-none})"
  grep -q -F "/libssp.a(" "$build/$program.map" || fail "$program.exe is built without the stack protector (libssp)"
done
[ "$failures" -eq 0 ] && echo "zip: $(basename "$root"): three programs, README.txt for Windows, LICENSE.txt and THIRD-PARTY-NOTICES.txt with CRLF, the README's pictures, a notice for each library linked in, ASLR, NX and the stack protector"
exit "$failures"
