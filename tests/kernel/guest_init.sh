#!/bin/busybox sh
# SPDX-License-Identifier: MIT
# The guest's first process: the cases of lpt-dump on Debian's kernel and port drivers, one
# after another, each reported on the console as "LPT-CASE NAME: PASS|FAIL ...".
/bin/busybox --install -s /bin
export PATH=/bin:/usr/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mount -t tmpfs tmp /tmp
mkdir -p /run
mount -t tmpfs run /run
chmod 1777 /tmp
modules=/lib/modules
started=$(date +%s)

report() {  # NAME VERDICT DETAIL
  echo "LPT-CASE $1: $2 ($(($(date +%s) - case_start)) s) $3"
}
begin() {  # NAME: said on the console, so a guest stopped by its deadline shows where it was
  echo "LPT-BEGIN $1"
  case_start=$(date +%s)
  rm -f /tmp/err
}
# wait_until SECONDS COMMAND...: polls until COMMAND succeeds; false after SECONDS.
wait_until() {
  local seconds=$1
  shift
  local deadline=$(($(date +%s) + seconds))
  until "$@"; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}
reads_the_chip() {  # NAME STATUS FILE: the exit code 0 and the file equal to the chip
  if [ "$2" -eq 0 ] && cmp -s /chip.bin "$3"; then
    report "$1" PASS "read the chip"
  else
    report "$1" FAIL "exit $2: $(head -c 400 /tmp/err | tr '\n' ' ')"
  fi
}
refused() {  # NAME STATUS FILE TEXT: exit 3, TEXT in the message, no file, no direct I/O tried
  if [ "$2" -eq 3 ] && grep -q "$4" /tmp/err && [ ! -e "$3" ] && ! grep -q "direct I/O:" /tmp/err; then
    report "$1" PASS "exit 3: $(head -n 1 /tmp/err)"
  else
    report "$1" FAIL "exit $2: $(head -c 400 /tmp/err | tr '\n' ' ')"
  fi
}
as_reader() { su -s /bin/sh reader -c "$*"; }

# Two copies on one port through direct I/O, which no kernel claim guards: the second, started
# once the first holds the port's lock (the kernel lists it in /proc/locks), stops before it
# touches the port and names the first's process, and the first reads the chip undisturbed. The first copy's read is also the
# case of direct I/O without parport_pc.
begin "direct I/O, parport_pc not loaded"
lpt-dump -q -p direct /tmp/direct.bin 2> /tmp/first.err &
first=$!
if wait_until 120 grep -q FLOCK /proc/locks; then
  lpt-dump -q -p direct /tmp/second.bin 2> /tmp/second.err
  second=$?
else
  second=124
  echo "the first copy took no lock within 120 s" > /tmp/second.err
fi
wait $first
first_status=$?
cp /tmp/first.err /tmp/err
reads_the_chip "direct I/O, parport_pc not loaded" $first_status /tmp/direct.bin
begin "two copies on one port"
cp /tmp/second.err /tmp/err
refused "two copies on one port" "$second" /tmp/second.bin "in use by another copy of this program (process $first,"

insmod $modules/parport.ko
insmod $modules/parport_pc.ko
insmod $modules/ppdev.ko
wait_until 60 test -e /dev/parport1
chgrp lp /dev/parport0 /dev/parport1  # as Debian's udev rule leaves them
chmod 660 /dev/parport0 /dev/parport1

begin "ppdev"
lpt-dump -q -p /dev/parport0 /tmp/ppdev.bin 2> /tmp/err
reads_the_chip "ppdev" $? /tmp/ppdev.bin

# The second port's adapter has no chip in its socket: the status read finds nothing driving SO,
# so nothing is read or saved; without the check, the 0xFF bytes are saved with a warning.
begin "no chip in the socket"
lpt-dump -q -p /dev/parport1 /tmp/nochip.bin 2> /tmp/err
status=$?
lpt-dump -q --no-chip-check -p /dev/parport1 /tmp/unchecked.bin 2>> /tmp/err
unchecked=$?
if [ "$status" -eq 6 ] && grep -q "no chip answered on \"/dev/parport1\"" /tmp/err && [ ! -e /tmp/nochip.bin ] &&
  [ "$unchecked" -eq 0 ] && [ "$(wc -c < /tmp/unchecked.bin)" -eq 2048 ]; then
  report "no chip in the socket" PASS "exit 6, nothing saved; --no-chip-check saved 2048 bytes"
else
  report "no chip in the socket" FAIL "exits $status, $unchecked: $(head -c 400 /tmp/err | tr '\n' ' ')"
fi

begin "direct I/O, parport_pc loaded"
lpt-dump -q -p direct /tmp/direct-pc.bin 2> /tmp/err
reads_the_chip "direct I/O, parport_pc loaded" $? /tmp/direct-pc.bin

# The port as the output, by name, as standard output and as a descriptor: refused before the
# read, decided on the opened port itself (a real ppdev node, which the host's tests cannot open).
begin "the port as the output"
outcome=""
lpt-dump -q -p emulate /dev/parport0 2> /tmp/err; outcome="$outcome $?"
lpt-dump -q -p emulate - > /dev/parport0 2>> /tmp/err; outcome="$outcome $?"
lpt-dump -q -p emulate /proc/self/fd/3 3> /dev/parport0 2>> /tmp/err; outcome="$outcome $?"
if [ "$outcome" = " 4 4 4" ] && [ "$(grep -c 'it is a parallel port, and the image is never written' /tmp/err)" -eq 3 ]; then
  report "the port as the output" PASS "exit 4 three times"
else
  report "the port as the output" FAIL "exits$outcome: $(head -c 600 /tmp/err | tr '\n' ' ')"
fi

hold_parport /dev/parport0 > /tmp/hold.out 2>&1 &
holder=$!
wait_until 60 grep -q claimed /tmp/hold.out
begin "held by another program"
lpt-dump -q -p /dev/parport0 /tmp/busy.bin 2> /tmp/err
refused "held by another program, -p /dev/parport0" $? /tmp/busy.bin "in use by another program"
begin "held by another program, the default port"
lpt-dump -q /tmp/busy-default.bin 2> /tmp/err
refused "held by another program, the default port as root" $? /tmp/busy-default.bin "in use by another program"
# Direct I/O takes the kernel's claim as well: one reader per port, whichever way it is reached.
begin "held by another program, direct I/O"
lpt-dump -q -p direct /tmp/busy-direct.bin 2> /tmp/err
refused "held by another program, -p direct" $? /tmp/busy-direct.bin "in use by another program"
begin "held by another program, direct I/O at 0x37C"  # within the block of eight of the port at 0x378
lpt-dump -q -p direct:0x37C /tmp/busy-37c.bin 2> /tmp/err
refused "held by another program, -p direct:0x37C" $? /tmp/busy-37c.bin "in use by another program"
kill $holder
wait $holder 2> /dev/null

begin "a user outside the lp group"
as_reader "lpt-dump -q -p /dev/parport0 /tmp/reader.bin 2> /tmp/err"
refused "a user outside the lp group" $? /tmp/reader.bin "lp group"

insmod $modules/lp.ko
sed -i 's/^lp:x:7:$/lp:x:7:reader/' /etc/group
begin "a user in the lp group"
as_reader "lpt-dump -q -p /dev/parport0 /tmp/reader.bin 2> /tmp/err"
reads_the_chip "a user in the lp group, lp loaded" $? /tmp/reader.bin

# In the foreground, so SIGINT keeps its default action (a background job's is ignored).
begin "SIGINT during a read"
timeout -s INT 4 lpt-dump -q -p /dev/parport0 /tmp/interrupted.bin 2> /tmp/err
status=$?
if [ "$status" -eq 130 ] && [ ! -e /tmp/interrupted.bin ]; then
  report "SIGINT during a read" PASS "exit 130, no file"
else
  report "SIGINT during a read" FAIL "exit $status$([ -e /tmp/interrupted.bin ] && echo ', a file was left')"
fi

echo "LPT-DONE after $(($(date +%s) - started)) s"
poweroff -f
