#!/usr/bin/env bash
# lpt-dump on Debian's own kernel: boots the kernel of Debian's linux-image-amd64 package in
# QEMU with a small initramfs (busybox, the port modules, lpt-dump and the libraries it links),
# its parallel port at 0x378 passed through to the emulated adapter and 25160, and runs the
# cases of guest_init.sh. The kernel package is fetched once with apt-get download into a cache
# folder and unpacked there with dpkg-deb -x; it is never installed as this machine's kernel.
#   kernel_under_qemu.sh LPT-DUMP HOLD-PARPORT PPDEV-EMULATOR.SO QEMU BUSYBOX
set -uo pipefail
lpt_dump=$1
holder=$2
emulator=$3
qemu=$4
busybox=$5
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "kernel test: $*" >&2; exit 1; }

# Debian's current kernel package, as the linux-image-amd64 package names it.
cache=${LPT_KERNEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lpt-tool/kernel}
mkdir -p "$cache"
package=$(apt-cache depends linux-image-amd64 2> /dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -n 1)
[ -n "$package" ] || fail "apt-cache does not know linux-image-amd64: run apt-get update"
unpacked=$cache/$package
(
  flock 9  # another run of the suite may be fetching the same package
  if [ ! -e "$unpacked/unpacked" ]; then
    rm -rf "$unpacked" "$cache"/*.deb
    (cd "$cache" && apt-get download -q "$package" > "$scratch/download.log" 2>&1) ||
      { cat "$scratch/download.log" >&2; exit 1; }
    dpkg-deb -x "$cache/${package}"_*.deb "$unpacked" && rm -f "$cache"/*.deb && touch "$unpacked/unpacked"
  fi
) 9> "$cache/lock" || fail "could not fetch and unpack $package"
kernel=$(echo "$unpacked"/boot/vmlinuz-*)
drivers=$(echo "$unpacked"/lib/modules/*/kernel/drivers)
[ -f "$kernel" ] || fail "no kernel in $unpacked"

# The guest's root: busybox, the four modules, the programs with their libraries, the chip's image.
root=$scratch/root
mkdir -p "$root"/{bin,usr/bin,lib/modules,etc,proc,sys,dev,tmp}
cp "$busybox" "$root/bin/busybox"
cp "$lpt_dump" "$root/usr/bin/lpt-dump"
cp "$holder" "$root/usr/bin/hold_parport"
for library in $(ldd "$lpt_dump" "$holder" | grep -o '/[^ :]*$\|/[^ :]* ' | sort -u); do
  mkdir -p "$root$(dirname "$library")"
  cp -L "$library" "$root$library"
done
cp "$drivers"/parport/parport.ko "$drivers"/parport/parport_pc.ko "$drivers"/char/ppdev.ko "$drivers"/char/lp.ko \
  "$root/lib/modules/"
head -c 2048 /dev/urandom > "$scratch/chip.bin"
cp "$scratch/chip.bin" "$root/chip.bin"
printf 'root:x:0:0::/root:/bin/sh\nreader:x:1000:1000::/tmp:/bin/sh\n' > "$root/etc/passwd"
printf 'root:x:0:\nlp:x:7:\nreader:x:1000:\n' > "$root/etc/group"
cp "$here/guest_init.sh" "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet) > "$scratch/initrd"

# The port QEMU opens is the emulated one: the preloaded library answers its ppdev calls.
touch "$scratch/parport"
started=$(date +%s)
LD_PRELOAD=$emulator LPT_EMU_DEVICE=$scratch/parport LPT_EMU_IMAGE=$scratch/chip.bin LPT_EMU_LOG=$scratch/port.log \
  timeout 200 "$qemu" -nodefaults -no-user-config -display none -m 256 -no-reboot \
  -kernel "$kernel" -initrd "$scratch/initrd" -append "console=ttyS0 quiet panic=-1" -serial stdio \
  -chardev parallel,id=port,path="$scratch/parport" -device isa-parallel,chardev=port,iobase=0x378,irq=7 \
  < /dev/null > "$scratch/console.log" 2>&1
echo "kernel test: $(basename "$kernel") in QEMU, $(($(date +%s) - started)) s"
grep '^LPT-CASE' "$scratch/console.log" | tr -d '\r'

failures=0
if ! grep -q '^LPT-DONE' "$scratch/console.log"; then
  echo "kernel test: the guest did not finish; its console:" >&2
  tr -d '\r' < "$scratch/console.log" >&2
  exit 1
fi
[ "$(grep -c '^LPT-CASE .*: PASS' "$scratch/console.log")" -eq 9 ] || failures=$((failures + 1))
# What reached the chip, the kernel's own probe of the port (noise) left aside.
expected=$(printf '%s\n' "READ: exact, idle at the end" "READ: exact, idle at the end" "READ: exact, idle at the end" \
  "READ: exact, idle at the end" "READ: exact, idle at the end")
got=$(grep -v '^noise:' "$scratch/port.log")
echo "kernel test: the chip saw:"
sed 's/^/  /' <<< "$got"
if [ "$(head -n 5 <<< "$got")" != "$expected" ] || ! grep -q '^READ: interrupted after [0-9]* writes, clock low, then deselected$' <<< "$(sed -n 6p <<< "$got")" ||
  [ "$(sed -n '7,$p' <<< "$got")" != "end: idle (0xF1)" ]; then
  echo "kernel test: the chip saw other traffic than five whole READs, one interrupted cleanly, and an idle bus" >&2
  failures=$((failures + 1))
fi
exit "$failures"
