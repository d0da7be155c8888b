#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# lpt-dump.exe under Wine, as a Windows user runs it: a read through InpOut (the stand-in DLL)
# to a file and to standard output, on a card's port at another base, names beyond ASCII, and
# the messages when InpOut's DLL is missing, of the other bitness, or its driver is not open.
#   lpt_dump_under_wine.sh LPT-DUMP.EXE STAND-IN.DLL WINE-RUN OTHER-BITNESS.DLL CTRL-C-PROBE.EXE HOLD-FILE-PROBE.EXE
#                          EXPLORER-PROBE.EXE
set -uo pipefail
exe=$1
standin=$2
wine=$3
other_bitness_dll=$4
ctrl_c_probe=$5
hold_file_probe=$6
explorer_probe=$7
dll=$(basename "$standin")
. "$(dirname "$0")/../support/waiting.sh"
scratch=$(mktemp -d)
# One server for the whole run of programs, ended with it.
"$wine" --keep-server
trap '"$wine" --end-server; rm -rf "$scratch"' EXIT
failures=0
fail() { echo "lpt-dump.exe: $*" >&2; failures=$((failures + 1)); }

# An image holding 0x0A and 0x1A among random bytes: a text-mode standard output would turn
# each 0x0A into 0x0D 0x0A, and 0x1A ends a text file for some readers.
mkdir "$scratch/with-inpout" "$scratch/without-inpout"
head -c 2046 /dev/urandom > "$scratch/with-inpout/chip.bin"
printf '\n\032' >> "$scratch/with-inpout/chip.bin"
cp "$exe" "$standin" "$ctrl_c_probe" "$hold_file_probe" "$scratch/with-inpout/"
cp "$exe" "$scratch/without-inpout/"

cd "$scratch/with-inpout"
export LPT_STANDIN_IMAGE=chip.bin
# The first read goes as a user's does, read twice; the cases about names and files after it read
# once, so that the suite stays quick on a busy machine.
one="--reads 1"
"$wine" lpt-dump.exe -q dump.bin 2> err.txt || fail "read through InpOut: exit $? ($(cat err.txt))"
cmp -s chip.bin dump.bin || fail "the file read through InpOut differs from the chip"
"$wine" lpt-dump.exe $one -q - > stdout.bin 2> err.txt || fail "read to standard output: exit $?"
cmp -s chip.bin stdout.bin || fail "standard output is not the image byte for byte ($(stat -c %s stdout.bin) bytes)"

# Windows' way to ask for the usage.
"$wine" lpt-dump.exe '/?' > usage.txt 2>&1 || fail "/?: exit $?"
grep -q "Usage: lpt-dump" usage.txt || fail "/? gives no usage: $(head -c 300 usage.txt)"

cp chip.bin "Bild-äöü-€.bin"
"$wine" lpt-dump.exe $one -q --port "emulate:Bild-äöü-€.bin" "Ausgabe-ß-日本.bin" 2> err.txt ||
  fail "names beyond ASCII: exit $? ($(cat err.txt))"
cmp -s chip.bin "Ausgabe-ß-日本.bin" || fail "the file with a name beyond ASCII is missing or differs"

# Ctrl+C on the console mid-read (a console needs a terminal under Wine): the bus ends with
# the clock low, then the chip deselected (0xF1), and no file is left.
hold_reads hold
LPT_STANDIN_HOLD=hold LPT_STANDIN_TRACE=trace.bin \
  script -qec "'$wine' $(basename "$ctrl_c_probe") hold 'lpt-dump.exe -q ctrl-c.bin'" /dev/null > console.txt
release_read hold
sed 's/\x1b\[[?0-9;]*[A-Za-z]//g' console.txt | grep -q "0xC000013A" || fail "Ctrl+C: not ended as by Ctrl+C: $(cat -v console.txt)"
[ "$(tail -c 2 trace.bin | od -An -tx1 | tr -d ' ')" = f0f1 ] || fail "Ctrl+C: the bus ends $(tail -c 4 trace.bin | od -An -tx1)"
[ -e ctrl-c.bin ] && fail "Ctrl+C: a file was left"

# On a console (a terminal here), every character of a name shows, not the code page's mojibake.
LANG=C.UTF-8 script -qec "'$wine' lpt-dump.exe -q --port emulate 'Ελληνικά/日本語.bin'" /dev/null > console.txt
# Wine's console wraps long lines at the terminal's width.
tr -d '\r\n' < console.txt | grep -q 'the folder "Ελληνικά" does not exist' || fail "a name on the console: $(cat -v console.txt)"

LPT_STANDIN_DRIVER=closed "$wine" lpt-dump.exe dump.bin 2> err.txt
status=$?
[ "$status" -eq 3 ] || fail "driver not open: exit $status, not 3"
grep -q "InpOut's driver is not open" err.txt || fail "driver not open: $(cat err.txt)"

# Windows devices and hidden streams are refused before the port is opened (no DLL is needed
# to see it), \\?\NUL and \\.\C: included; a \\?\ or \\.\ name of a file on a drive is an ordinary
# file; > NUL discards the image as /dev/null does.
for name in NUL CON aux.txt 'sub\COM1.bin' 'dump.bin:stream' 'CONOUT$' 'conin$' 'nul.' 'NUL .bin' '\\.\COM1' 'COM¹' 'lpt³.txt' \
  '\\?\NUL' '\\.\C:'; do
  LPT_STANDIN_DRIVER=closed "$wine" lpt-dump.exe "$name" 2> err.txt
  status=$?
  [ "$status" -eq 4 ] || fail "$name: exit $status, not 4 ($(cat err.txt))"
  grep -q -E "is the Windows device|is a parallel port|hidden stream" err.txt || fail "$name: $(cat err.txt)"
done
[ -e dump.bin:stream ] && fail "a file was made for a stream name"
"$wine" lpt-dump.exe $one -q '\\?\Z:'"$(pwd | tr / '\\')"'\lpt1.bin' 2> err.txt || fail "\\?\ name: exit $? ($(cat err.txt))"
cmp -s chip.bin lpt1.bin || fail "the \\?\ name was not saved as a file"
"$wine" lpt-dump.exe $one -q '\\.\Z:'"$(pwd | tr / '\\')"'\out9.bin' 2> err.txt || fail "\\.\ name: exit $? ($(cat err.txt))"
cmp -s chip.bin out9.bin || fail "the \\.\ name of a file was not saved as a file"
long=$(printf 'folder-with-a-long-name-%02d/' $(seq 1 12))  # 324 characters and more
mkdir -p "$long"
"$wine" lpt-dump.exe $one -q "${long}long.bin" 2> err.txt || fail "a name over 260 characters: exit $? ($(cat err.txt))"
cmp -s chip.bin "${long}long.bin" || fail "the file with a name over 260 characters is missing or differs"
"$wine" cmd /c 'lpt-dump.exe -q - > NUL' 2> err.txt || fail "> NUL: exit $? ($(cat err.txt))"
# One name of 250 characters, beyond what the temporary name's suffix leaves of the 255: saved.
name250=$(printf 'n%.0s' $(seq 1 246)).bin
"$wine" lpt-dump.exe $one -q "$name250" 2> err.txt || fail "a name of 250 characters: exit $? ($(cat err.txt))"
cmp -s chip.bin "$name250" || fail "the file with a name of 250 characters is missing or differs"

# Names Windows cannot save under are refused before the read, with the cause.
name256=$(printf 'n%.0s' $(seq 1 252)).bin
# InpOut's DLLs by name, as new files too: a folder the program looks in would hold an image so
# named. A \\?\ name is literal, so a . part names no folder; a name may start with a forward slash.
for case in " |is blank" 'a"b.bin|may not hold' "$name256|255 at most" "inpout32.dll|InpOut's DLL" \
  "InpOutx64.DLL|InpOut's DLL" '\\?\C:\x\.\y.bin|holds a . or .. part' \
  "/no-such-folder/x.bin|does not exist"; do
  name=${case%%|*}
  LPT_STANDIN_TRACE=name-trace.bin "$wine" lpt-dump.exe $one -q "$name" 2> err.txt
  status=$?
  [ "$status" -eq 4 ] || fail "name \"$name\": exit $status, not 4 ($(cat err.txt))"
  grep -q -- "${case#*|}" err.txt || fail "name \"$name\": $(cat err.txt)"
  [ -s name-trace.bin ] && fail "name \"$name\": the chip was read first"
  rm -f name-trace.bin
done

# An existing dump is replaced whole, through a temporary file that never stays behind.
head -c 5000 /dev/urandom > earlier.bin
"$wine" lpt-dump.exe $one -q earlier.bin 2> err.txt || fail "replacing a file: exit $? ($(cat err.txt))"
cmp -s chip.bin earlier.bin || fail "the replaced file is not the image"

# Two copies on one port: the second, started while the first's read is held in its middle,
# stops before it touches the port (its own trace stays empty) and says why; the first reads
# the chip undisturbed.
hold_reads hold
LPT_STANDIN_HOLD=hold "$wine" lpt-dump.exe $one -q first.bin 2> first-err.txt &
first=$!
wait_until 120 "the first copy's read to reach its hold" read_held hold || fail "two copies: the first did not read"
LPT_STANDIN_TRACE=second-trace.bin "$wine" lpt-dump.exe $one -q second.bin 2> err.txt
status=$?
release_read hold
wait "$first" || fail "two copies: the first failed: $(cat first-err.txt)"
cmp -s chip.bin first.bin || fail "two copies: the first copy's image differs from the chip"
[ "$status" -eq 3 ] || fail "two copies: the second exited $status, not 3 ($(cat err.txt))"
grep -q "in use by another copy of this program" err.txt || fail "two copies: $(cat err.txt)"
[ -s second-trace.bin ] && fail "two copies: the second copy touched the port"
[ -e second.bin ] && fail "two copies: the second copy saved a file"

# A copy ended by TerminateProcess in the middle of its read leaves the lock abandoned, not held:
# the next copy reads the chip.
hold_reads hold
LPT_STANDIN_HOLD=hold "$wine" lpt-dump.exe $one -q killed.bin 2> /dev/null &
wait_until 120 "the read to reach its hold" read_held hold || fail "a killed copy: its read did not start"
"$wine" taskkill /f /im lpt-dump.exe > /dev/null 2>&1
wait
release_read hold
rm -f killed.bin.lpt-tool-unfinished-*  # what a kill leaves, as its name says
"$wine" lpt-dump.exe $one -q after-kill.bin 2> err.txt || fail "after a copy was killed mid-read: exit $? ($(cat err.txt))"
cmp -s chip.bin after-kill.bin || fail "after a copy was killed mid-read, the image differs from the chip"

# InpOut's DLL, the program itself and the programs beside it are no place for an image, whatever
# spells them: another drive letter for the same folder, \\?\, a linked folder, an 8.3 name.
# Refused before the read.
cp "$dll" dll-before.bin
cp lpt-dump.exe program-before.bin
ln -s . linked
ln -sfn / "${WINEPREFIX:-${TMPDIR:-/tmp}/lpt-tool-wineprefix}/dosdevices/y:"
here=$(pwd | tr / '\\')
# The DLL's 8.3 name as the system lists it (dir /x), where its long name needs one.
short_dll=$("$wine" cmd /c dir /x "$dll" 2> /dev/null | tr -d '\r' | awk -v dll="$dll" '$NF == dll && $(NF - 1) ~ /~/ { print $(NF - 1) }')
for case in "$dll|InpOut's DLL" "lpt-dump.exe|this program itself" "\\\\?\\Z:$here\\lpt-dump.exe|this program itself" \
  "Y:$here\\lpt-dump.exe|this program itself" "linked\\lpt-dump.exe|this program itself" \
  "Y:$here\\linked\\$dll|InpOut's DLL" "${short_dll:-$dll}|InpOut's DLL" \
  "linked\\$(basename "$hold_file_probe")|the program's own files"; do
  name=${case%|*}
  LPT_STANDIN_TRACE=own-trace.bin "$wine" lpt-dump.exe "$name" 2> err.txt
  status=$?
  [ "$status" -eq 4 ] || fail "$name as OUTPUT: exit $status, not 4 ($(cat err.txt))"
  grep -q -- "${case##*|}" err.txt || fail "$name as OUTPUT: $(cat err.txt)"
  [ -s own-trace.bin ] && fail "$name as OUTPUT: the chip was read first"
  rm -f own-trace.bin
done
rm -f linked
# A \\?\ name is taken literally, trailing dot or space and all: the check and the save name the
# same file, a new one, and never the program.
for name in "\\\\?\\Z:$here\\lpt-dump.exe." "\\\\?\\Z:$here\\lpt-dump.exe "; do
  "$wine" lpt-dump.exe $one -q "$name" 2> err.txt || fail "$name: exit $? ($(cat err.txt))"
done
[ -e "lpt-dump.exe." ] && [ -e "lpt-dump.exe " ] || fail "the \\?\ names with a trailing dot or space were not saved as such"
rm -f "lpt-dump.exe." "lpt-dump.exe "
# InpOut's DLL in a folder of PATH, reached through a link elsewhere: known by identity.
mkdir on-path elsewhere
cp "$dll" on-path/
ln -s "../on-path/$dll" elsewhere/saved.bin
WINEPATH="Z:$here\\on-path" "$wine" lpt-dump.exe $one -q 'elsewhere\saved.bin' 2> err.txt
grep -q "InpOut's DLL" err.txt || fail "InpOut's DLL on PATH, through a link: $(cat err.txt)"
cmp -s "$dll" "on-path/$dll" || fail "InpOut's DLL on PATH was changed"
rm -rf on-path elsewhere
cmp -s "$dll" dll-before.bin || fail "InpOut's DLL was changed"
cmp -s lpt-dump.exe program-before.bin || fail "the program was changed"

# Devices as input images are refused at once, never waited on.
for arguments in "--compare CON" "--compare \\\\.\\COM1" "-p emulate:CON x.bin" "-p emulate:\\\\.\\COM1 x.bin"; do
  timeout 20 "$wine" lpt-dump.exe $arguments < /dev/null 2> err.txt
  status=$?
  [ "$status" -eq 3 ] || [ "$status" -eq 4 ] || fail "$arguments: exit $status, not 3 or 4 ($(cat err.txt))"
  grep -q "is no file" err.txt || fail "$arguments: $(cat err.txt)"
done

# A file that another program holds open (a hex editor, an antivirus scan): refused before the
# read, as OUTPUT and as --compare's FILE, with the cause named; the file is left as it was.
cp chip.bin held.bin
for case in "lpt-dump.exe held.bin|so it cannot be replaced now" \
  "lpt-dump.exe --compare held.bin|so it cannot be read now"; do
  command=${case%%|*}
  LPT_STANDIN_TRACE=held-trace.bin "$wine" "$(basename "$hold_file_probe")" held.bin "$command" 2> err.txt
  status=$?
  [ "$status" -eq 4 ] || fail "$command, held open: exit $status, not 4 ($(cat err.txt))"
  grep -qi "another program has the file open.*${case#*|}" err.txt || fail "$command, held open: $(cat err.txt)"
  [ -s held-trace.bin ] && fail "$command, held open: the chip was read first"
  rm -f held-trace.bin
done
cmp -s chip.bin held.bin || fail "a file held open was changed"
# Held open by a program that shares it even for deletion: the rename would still fail, so the
# save is refused before the read all the same.
LPT_STANDIN_TRACE=held-trace.bin "$wine" "$(basename "$hold_file_probe")" --share-all held.bin "lpt-dump.exe held.bin" \
  2> err.txt
status=$?
[ "$status" -eq 4 ] || fail "held open, shared for deletion: exit $status, not 4 ($(cat err.txt))"
grep -qi "another program has the file open" err.txt || fail "held open, shared for deletion: $(cat err.txt)"
[ -s held-trace.bin ] && fail "held open, shared for deletion: the chip was read first"
rm -f held-trace.bin

# A hidden system file stays hidden and a system file when a dump replaces it, as Windows keeps
# them through ReplaceFileW; a read-only one is refused with what to do.
head -c 100 /dev/urandom > hidden.bin
"$wine" cmd /c attrib +s hidden.bin > /dev/null 2>&1
"$wine" cmd /c attrib +h hidden.bin > /dev/null 2>&1
"$wine" lpt-dump.exe $one -q hidden.bin 2> err.txt || fail "a hidden file: exit $? ($(cat err.txt))"
cmp -s chip.bin hidden.bin || fail "the hidden file was not replaced by the image"
attributes=$("$wine" cmd /c attrib hidden.bin 2> /dev/null | tr -d '\r' | sed 's/Z:.*//')
[[ "$attributes" == *S*H* ]] || fail "the replaced file lost its hidden or system attribute: $attributes"
# A symbolic link stays a link, and the file it points at gets the image.
mkdir keep
echo earlier > keep/real.bin
ln -s keep/real.bin link.bin
"$wine" lpt-dump.exe $one -q link.bin 2> err.txt || fail "a link: exit $? ($(cat err.txt))"
[ -L link.bin ] || fail "the link was replaced by a file"
cmp -s chip.bin keep/real.bin || fail "the file the link points at did not get the image"
cp chip.bin read-only.bin
"$wine" cmd /c attrib +r read-only.bin > /dev/null 2>&1
"$wine" lpt-dump.exe $one -q read-only.bin 2> err.txt
grep -q "attrib -r" err.txt || fail "a read-only file: no advice: $(cat err.txt)"

# A PCIe card's port at 0xD010: the stand-in answers there only. Wine lists no parallel port,
# so a name is refused, as are addresses no parallel port can have, and direct I/O.
LPT_STANDIN_BASE=0xD010 "$wine" lpt-dump.exe $one -q --port 0xD010 card.bin 2> err.txt ||
  fail "--port 0xD010: exit $? ($(cat err.txt))"
cmp -s chip.bin card.bin || fail "the file read at 0xD010 differs from the chip"
# Where nothing answers (the default 0x378 while the card sits at 0xD010), nothing is read or saved.
LPT_STANDIN_BASE=0xD010 "$wine" lpt-dump.exe nothing.bin 2> err.txt
status=$?
[ "$status" -eq 3 ] || fail "no port at 0x378: exit $status, not 3 ($(cat err.txt))"
grep -q "no parallel port answers at I/O 0x378" err.txt || fail "no port at 0x378: $(cat err.txt)"
grep -q -- "--port 0xADDRESS" err.txt || fail "no port at 0x378: no advice: $(cat err.txt)"
[ -e nothing.bin ] && fail "no port at 0x378: a file was saved"
# A number is taken as C takes it: 888 is 0x378, where the stand-in answers by default.
"$wine" lpt-dump.exe $one -q --port 888 decimal.bin 2> err.txt || fail "--port 888: exit $? ($(cat err.txt))"
cmp -s chip.bin decimal.bin || fail "the file read at 888 (0x378) differs from the chip"
for port in LPT2 0xFF 0x10000 0xFFFE D010 direct 0378 0x 0xD01O "888 " 1e3; do
  "$wine" lpt-dump.exe --port "$port" dump.bin 2> err.txt
  status=$?
  [ "$status" -eq 2 ] || fail "--port $port: exit $status, not 2 ($(cat err.txt))"
done
"$wine" lpt-dump.exe --port 0378 dump.bin 2> err.txt
grep -q "did you mean 0x378?" err.txt || fail "--port 0378: $(cat err.txt)"
"$wine" lpt-dump.exe --port 0xD01O dump.bin 2> err.txt
grep -q "is not a number" err.txt || fail "--port 0xD01O: $(cat err.txt)"
"$wine" lpt-dump.exe --port lpt2 dump.bin 2> err.txt
grep -q 'the system lists no port named "lpt2" (it lists no parallel port)' err.txt ||
  fail "--port lpt2: the message does not say what the system lists: $(cat err.txt)"

cd "$scratch/without-inpout"
"$wine" lpt-dump.exe dump.bin 2> err.txt
status=$?
[ "$status" -eq 3 ] || fail "no InpOut DLL: exit $status, not 3"
grep -q "$dll (InpOut's DLL) was found neither beside the program" err.txt || fail "no DLL: $(cat err.txt)"
grep -q "beside the program" err.txt || fail "no DLL: no advice"
# A 32-bit program on 64-bit Windows is shown SysWOW64 as its system folder.
system=$([ "$dll" = inpout32.dll ] && echo syswow64 || echo system32)
grep -qi "nor in the system folder (.:\\\\windows\\\\$system\\\\)" err.txt ||
  fail "no DLL: the system folder is not named as $system: $(cat err.txt)"
[ -e dump.bin ] && fail "a file was made although nothing was read"
# The DLL of the other bitness under its own name, where this program's was looked for: named.
other_name=$([ "$dll" = inpoutx64.dll ] && echo inpout32.dll || echo inpoutx64.dll)
touch "$other_name"
"$wine" lpt-dump.exe dump.bin 2> err.txt
grep -q "the $other_name in .* is the [0-9][0-9]-bit one, which this [0-9][0-9]-bit program cannot load" err.txt ||
  fail "the other DLL is not named: $(cat err.txt)"
rm -f "$other_name"

# A DLL planted in the current folder (Downloads, a USB stick) is never loaded.
mkdir "$scratch/planted"
cp "$standin" "$scratch/planted/"
(cd "$scratch/planted" && "$wine" ../without-inpout/lpt-dump.exe planted.bin 2> err.txt)
status=$?
[ "$status" -eq 3 ] || fail "a DLL in the current folder: exit $status, not 3 ($(cat "$scratch/planted/err.txt"))"
grep -q "was found neither beside the program" "$scratch/planted/err.txt" ||
  fail "a DLL in the current folder: $(cat "$scratch/planted/err.txt")"
[ -e "$scratch/planted/planted.bin" ] && fail "a DLL in the current folder was loaded and a file saved"

# The DLL of the other bitness beside the program: named as such, with the folder to take.
if [ -e "$other_bitness_dll" ]; then
  cp "$other_bitness_dll" .
  "$wine" lpt-dump.exe dump.bin 2> err.txt
  status=$?
  [ "$status" -eq 3 ] || fail "other bitness DLL: exit $status, not 3"
  grep -q "the $dll found beside the program (.*) is not a [0-9][0-9]-bit DLL" err.txt || fail "other bitness: $(cat err.txt)"
  grep -q "put the $dll from its .* folder beside the program" err.txt || fail "other bitness: no advice: $(cat err.txt)"
  grep -q "%1" err.txt && fail "a raw %1 in the message: $(cat err.txt)"
else
  echo "skipped: the DLL of the other bitness (its MinGW-w64 compiler is not installed)"
fi

# Double-clicked in Explorer: the console that Windows made for it stays open until Enter, also
# after a read; started by any other program, it ends at once. (Under Wine a new console needs
# an X server, so this runs on a server of its own.)
cd "$scratch/with-inpout"
cp "$explorer_probe" explorer.exe
cp "$explorer_probe" other.exe
for case in "explorer.exe|lpt-dump.exe|shown yes, waiting|exit 2" \
  "explorer.exe|lpt-dump.exe -q clicked.bin|shown yes, waiting|exit 0" "other.exe|lpt-dump.exe|shown no, ended|exit 2"; do
  IFS='|' read -r starter command shown ended <<< "$case"
  "$(dirname "$0")/../support/with-xvfb" "$wine" --new-server "$starter" "Press Enter to close this window." "$command" \
    > started.txt 2>&1
  { grep -q "$shown" started.txt && grep -q "$ended" started.txt; } || fail "started by $starter: $command: $(cat started.txt)"
done
cmp -s chip.bin clicked.bin || fail "started by explorer.exe: the image differs from the chip"

leftovers=$(find "$scratch" -name '*.lpt-tool-unfinished-*')
[ -z "$leftovers" ] || fail "temporary files were left: $leftovers"

[ "$failures" -eq 0 ] && echo "lpt-dump.exe: read through InpOut at 0x378 and 0xD010, binary standard output, names beyond ASCII, missing DLL, other bitness and driver, started from Explorer: all as expected"
exit "$failures"
