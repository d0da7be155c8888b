#!/usr/bin/env bash
# The Windows zip as a user unpacks it: the three programs, README.txt and LICENSE.txt with
# Windows line ends, and every picture the README links to at the place the link points.
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
for file in lpt-tool.exe lpt-tool-demo.exe lpt-dump.exe README.txt LICENSE.txt; do
  [ -s "$root/$file" ] || fail "$file is missing"
done
for text in README.txt LICENSE.txt; do
  [ -s "$root/$text" ] || continue
  grep -q $'[^\r]$' "$root/$text" && fail "$text has lines without a Windows line end"
done
for link in $(grep -o -E '\]\((docs/[^)]+)\)' "$root/README.txt" | sed -E 's/^\]\((.*)\)$/\1/'); do
  [ -s "$root/$link" ] || fail "the README shows $link, which is not in the zip"
done
[ "$failures" -eq 0 ] && echo "zip: $(basename "$root"): three programs, README.txt and LICENSE.txt with CRLF, the README's pictures"
exit "$failures"
