#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# lpt-dump on Debian's own kernels: for Debian 12 (bookworm, kernel 6.1) and Debian 13 (trixie,
# kernel 6.12), whatever release this machine runs (and on a newer one, its own kernel too),
# boots the kernel of that release's linux-image-amd64 package in QEMU with a small initramfs
# (busybox, the port modules, lpt-dump and the libraries it links), its parallel port at 0x378
# passed through to the emulated adapter and 25160 (and a second one at 0x278 to an adapter with
# an empty socket), and runs the cases of guest_init.sh. Each release's packages are fetched once
# with apt-get download, through a private apt configuration of that release (its own sources
# list, lists and cache under the test's cache, the archive keyring of this machine), and
# unpacked there with dpkg-deb -x; they are never installed as this machine's kernel.
#   kernel_under_qemu.sh LPT-DUMP HOLD-PARPORT PPDEV-EMULATOR.SO QEMU BUSYBOX [RELEASE...]
set -uo pipefail
lpt_dump=$1
holder=$2
emulator=$3
qemu=$4
busybox=$5
shift 5
releases=("$@")
if [ ${#releases[@]} -eq 0 ]; then
  # Debian 12 and 13 always; on a newer release (testing), its own kernel too.
  releases=(bookworm trixie)
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  case $codename in bookworm | trixie | "") ;; *) releases+=("$codename") ;; esac
fi
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cache=${LPT_KERNEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lpt-tool/kernel}
mkdir -p "$cache"

# The Debian archive this machine's apt takes its packages from (its URI, as configured here).
mirror=$(apt-cache policy 2> /dev/null | sed -n 's|^ *[0-9]* \([a-z]*://[^ ]*\) [a-z]*/main amd64 Packages$|\1|p' |
  grep -v -- '-security' | head -n 1)

# apt-get's and apt-cache's options for a configuration of the release's own: nothing of this
# machine's apt changes.
apt_options() {  # RELEASE
  local dir=$cache/apt-$1
  options=(-o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts="$dir/sources.list.d"
    -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" -o Dir::State::status="$dir/status"
    -o APT::Architecture=amd64 -o APT::Architectures::=amd64 -o Debug::NoLocking=true)
  # The archive may serve testing's lists past their Valid-Until date; a stable release's must be current.
  case $1 in bookworm | trixie) ;; *) options+=(-o Acquire::Check-Valid-Until=false) ;; esac
}

# The release's kernel, unpacked into the cache once: prints the folder.
fetch_kernel() {  # RELEASE
  local release=$1 dir=$cache/apt-$1 unpacked=$cache/$1 options
  apt_options "$release"
  (
    flock 9  # another run of the suite may be fetching the same package
    [ -e "$unpacked/unpacked" ] && exit 0
    [ -n "$mirror" ] || { echo "no Debian archive in this machine's apt configuration" >&2; exit 1; }
    rm -rf "$dir" "$unpacked"
    mkdir -p "$dir/sources.list.d" "$dir/lists/partial" "$dir/cache/archives/partial" "$unpacked"
    touch "$dir/status"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $release main" > "$dir/sources.list"
    apt-get -q "${options[@]}" update > "$scratch/apt-$release.log" 2>&1 || { cat "$scratch/apt-$release.log" >&2; exit 1; }
    package=$(apt-cache "${options[@]}" depends linux-image-amd64 2> /dev/null |
      sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\)$/\1/p' | head -n 1)
    [ -n "$package" ] || { echo "$release's lists name no kernel for linux-image-amd64" >&2; exit 1; }
    # Since Debian 14 the image package holds only documentation and depends on the kernel and its
    # modules in packages of their own (linux-binary-VERSION, linux-modules-VERSION): those of its
    # dependencies that carry its version come along.
    local version=${package#linux-image-} packages
    packages=("$package" $(apt-cache "${options[@]}" depends "$package" 2> /dev/null |
      sed -n 's/^ *Depends: \(linux-[a-z]*-'"$version"'\)$/\1/p' | sort -u))
    (cd "$unpacked" && apt-get -q "${options[@]}" download "${packages[@]}" > "$scratch/apt-$release.log" 2>&1) ||
      { cat "$scratch/apt-$release.log" >&2; exit 1; }
    for deb in "$unpacked"/*.deb; do dpkg-deb -x "$deb" "$unpacked" || exit 1; done
    rm -f "$unpacked"/*.deb && echo "${packages[*]}" > "$unpacked/unpacked"
  ) 9> "$cache/lock-$release" || return 1
  echo "$unpacked"
}

# A module of the kernel, wherever the package keeps it (lib/ or, with merged /usr, usr/lib/) and
# however it is compressed, written plain into the guest.
copy_module() {  # UNPACKED RELATIVE-PATH-WITHOUT-.ko DESTINATION-FOLDER
  local found
  found=$(ls "$1"/lib/modules/*/kernel/"$2".ko* "$1"/usr/lib/modules/*/kernel/"$2".ko* 2> /dev/null | head -n 1)
  [ -n "$found" ] || return 1
  local plain=$3/$(basename "$2").ko
  case "$found" in
    *.ko) cp "$found" "$plain" ;;
    *.ko.xz) xz -dc "$found" > "$plain" ;;
    *.ko.zst) zstd -qdc "$found" > "$plain" ;;
    *.ko.gz) gzip -dc "$found" > "$plain" ;;
    *) return 1 ;;
  esac
}

# Boots one release's kernel and checks its cases; prints them, prefixed with the release.
boot() {  # RELEASE
  local release=$1 unpacked kernel
  unpacked=$(fetch_kernel "$release") || { echo "kernel test, $release: could not fetch its kernel" >&2; return 1; }
  # boot/vmlinuz-VERSION, or since Debian 14 usr/lib/modules/VERSION/vmlinuz
  kernel=$(find "$unpacked/boot" "$unpacked/usr/lib" -name 'vmlinuz*' -type f 2> /dev/null | head -n 1)
  [ -n "$kernel" ] || { echo "kernel test, $release: no kernel in $unpacked" >&2; return 1; }
  local work=$scratch/$release root=$scratch/$release/root
  mkdir -p "$root"/{bin,usr/bin,lib/modules,etc,proc,sys,dev,tmp}
  cp "$busybox" "$root/bin/busybox"
  cp "$lpt_dump" "$root/usr/bin/lpt-dump"
  cp "$holder" "$root/usr/bin/hold_parport"
  for library in $(ldd "$lpt_dump" "$holder" | grep -o '/[^ :]*$\|/[^ :]* ' | sort -u); do
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
  done
  for module in drivers/parport/parport drivers/parport/parport_pc drivers/char/ppdev drivers/char/lp; do
    copy_module "$unpacked" "$module" "$root/lib/modules" ||
      { echo "kernel test, $release: no $module module in $(cat "$unpacked/unpacked")" >&2; return 1; }
  done
  head -c 2048 /dev/urandom > "$work/chip.bin"
  cp "$work/chip.bin" "$root/chip.bin"
  printf 'root:x:0:0::/root:/bin/sh\nreader:x:1000:1000::/tmp:/bin/sh\n' > "$root/etc/passwd"
  printf 'root:x:0:\nlp:x:7:\nreader:x:1000:\n' > "$root/etc/group"
  cp "$here/guest_init.sh" "$root/init"
  (cd "$root" && find . | cpio -o -H newc --quiet) > "$work/initrd"

  # noapic: bookworm's kernel finds no working timer through the IO-APIC of QEMU 11's machine and
  # panics; the legacy interrupt controller works under every QEMU from 7 (Debian 12) to 11.
  # The ports QEMU opens are emulated: the preloaded library answers their ppdev calls. QEMU lists
  # the devices made last first, and the guest's kernel numbers them so: the port with the chip,
  # made last, is parport0. The
  # guest's deadline is several times what an idle 2-core machine takes (60-200 s with both
  # guests at once), as a loaded machine can be that much slower.
  touch "$work/parport" "$work/parport-empty"
  local started deadline=720
  started=$(date +%s)
  LD_PRELOAD=$emulator LPT_EMU_DEVICE=$work/parport LPT_EMU_EMPTY_DEVICE=$work/parport-empty \
    LPT_EMU_IMAGE=$work/chip.bin LPT_EMU_LOG=$work/port.log \
    timeout "$deadline" "$qemu" -nodefaults -no-user-config -display none -m 256 -no-reboot \
    -kernel "$kernel" -initrd "$work/initrd" -append "console=ttyS0 quiet panic=-1 noapic" -serial stdio \
    -chardev parallel,id=empty,path="$work/parport-empty" -device isa-parallel,chardev=empty,iobase=0x278,irq=5 \
    -chardev parallel,id=port,path="$work/parport" -device isa-parallel,chardev=port,iobase=0x378,irq=7 \
    < /dev/null > "$work/console.log" 2>&1
  echo "kernel test, $release: $(cat "$unpacked/unpacked") ($(basename "$kernel")) in QEMU, $(($(date +%s) - started)) s"
  grep '^LPT-CASE' "$work/console.log" | tr -d '\r' | sed "s/^/  $release: /"

  local failures=0
  if ! grep -q '^LPT-DONE' "$work/console.log"; then
    local step
    step=$(grep '^LPT-BEGIN' "$work/console.log" | tail -n 1 | tr -d '\r' | sed 's/^LPT-BEGIN //')
    echo "kernel test, $release: the guest did not finish within $deadline s (its last case: ${step:-none begun," \
      "still booting}); its console:" >&2
    tr -d '\r' < "$work/console.log" >&2
    return 1
  fi
  [ "$(grep -c '^LPT-CASE .*: PASS' "$work/console.log")" -eq 13 ] || failures=$((failures + 1))
  # What reached the chip, the kernel's own probe of the port (noise) left aside: the four cases
  # that read the chip ask for its status, then read it twice (lpt-dump saves only what two reads
  # agree on).
  local expected got
  expected=$(for read in 1 2 3 4; do
    printf '%s\n' "RDSR: exact, idle at the end" "READ: exact, idle at the end" "READ: exact, idle at the end"
  done)
  got=$(grep -v '^noise:' "$work/port.log")
  echo "kernel test, $release: the chip saw:"
  sed 's/^/  /' <<< "$got"
  if [ "$(head -n 12 <<< "$got")" != "$expected" ] || [ "$(sed -n 13p <<< "$got")" != "RDSR: exact, idle at the end" ] ||
    ! grep -q '^READ: interrupted after [0-9]* writes, clock low, then deselected$' <<< "$(sed -n 14p <<< "$got")" ||
    [ "$(sed -n '15,$p' <<< "$got")" != "end: idle (0xF1)" ]; then
    echo "kernel test, $release: the chip saw other traffic than a status read and two whole READs for each of four" \
      "cases, a status read and a READ interrupted cleanly, and an idle bus" >&2
    failures=$((failures + 1))
  fi
  return "$failures"
}

# Fetched one after another (one apt at a time), then booted side by side: QEMU's emulation keeps
# one core busy each, and the machine has two.
for release in "${releases[@]}"; do
  fetch_kernel "$release" > /dev/null || echo "kernel test, $release: could not fetch its kernel" >&2
done
pids=()
for release in "${releases[@]}"; do
  boot "$release" > "$scratch/$release.log" 2>&1 &
  pids+=($!)
done
failed=()
for i in "${!releases[@]}"; do
  wait "${pids[$i]}" || failed+=("${releases[$i]}")
  cat "$scratch/${releases[$i]}.log"
done
[ ${#failed[@]} -eq 0 ] || { echo "kernel test: failed on ${failed[*]}" >&2; exit 1; }
echo "kernel test: every case passed on ${releases[*]}"
