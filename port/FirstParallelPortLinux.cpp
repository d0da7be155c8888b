// SPDX-License-Identifier: MIT
// The parallel port on Linux: ppdev first, then direct I/O; and what to do when neither opens.
#include <unistd.h>

#include <cerrno>

#include "port/DirectIoPort.h"
#include "port/FirstParallelPort.h"
#include "port/PortError.h"
#include "port/PpdevPort.h"

// Direct I/O only where there is no ppdev port at all: a port that the kernel has, but that
// another program holds or this user may not open, is never driven behind the kernel's back.
std::vector<FirstParallelPort::Attempt> DefaultParallelPortAttempts() {
  return {{"ppdev", [] { return std::make_unique<PpdevPort>(); }, PpdevFoundNoPort},
          {"direct I/O", [] { return std::make_unique<DirectIoPort>(); }}};
}

namespace {
constexpr const char* HeldByThePrinterDriver =
    "Another driver holds the port, usually the printer driver lp for a print service such as CUPS: "
    "wait for the print job, or free the port (sudo systemctl stop cups; sudo rmmod lp), then try again.";

std::string HeldAdvice(const std::string& holder) {
  if (holder == "lp") return HeldByThePrinterDriver;
  if (holder.empty() || holder.rfind("ppdev", 0) == 0) {
    return "Another program has the port (another reader, a port tool): wait until it is done or close it, then try "
           "again; sudo fuser -v /dev/parport* names it.";
  }
  return "The kernel driver " + holder + " holds the port: if it should not, unload it (sudo rmmod " + holder +
         "), then try again.";
}

// A USB-to-parallel cable shows up as /dev/usb/lp0 and never as /dev/parport0.
constexpr const char* UsbPrinterCable =
    "/dev/usb/lp0 is there: a USB-to-parallel printer cable is a printer, not a parallel port, and cannot drive "
    "the EEPROM's lines one by one. Use a port on the board or a PCI or PCIe parallel port card "
    "(sudo modprobe parport_pc ppdev, then /dev/parport0 appears).";
}  // namespace

std::string PortAdviceFor(const EPortError& error, AdviceReader reader) {
  const bool root = geteuid() == 0;
  const bool window = reader == AdviceReader::Window;
  const std::string emulatedChip = window ? "lpt-tool-demo" : "lpt-tool-demo, or lpt-dump --port emulate";
  if (const auto* held = dynamic_cast<const EPortHeld*>(&error)) {
    if (held->Call() == "lock") {
      return held->Holder().empty() ? "sudo fuser -v /run/lpt-tool/*.lock names that copy."
                                    : "ps -f -p " + held->Holder() + " shows that copy.";
    }
    return HeldAdvice(held->Holder());
  }
  // The lock folder's own messages say what to do.
  if (error.Call() == "lock") return "";
  switch (error.OsError()) {
    case EACCES:
    case EPERM:
      if (error.Call() == "ioperm") {
        return root ? "The kernel refuses direct port I/O even to root here (lockdown, e.g. under Secure Boot): "
                      "use ppdev (sudo modprobe parport_pc ppdev)."
                    : "Direct port I/O needs root; better, use ppdev as a member of the lp group.";
      }
      return root ? "Even root may not open it: a security policy (SELinux, AppArmor, a container) stands in the way."
                  : "Join the lp group (sudo usermod -aG lp $USER, then log out and in again), or run as root.";
    case ENOENT:
    case ENODEV:
      if (access("/dev/usb/lp0", F_OK) == 0) return UsbPrinterCable;
      return "Load the drivers (sudo modprobe parport_pc ppdev). If " +
             (error.Device().rfind("/dev/", 0) == 0 ? error.Device() : "/dev/parport0") +
             " still does not appear, this PC has no such parallel port: fit a PCI or PCIe parallel port card, or try "
             "the emulated chip (" +
             emulatedChip + ").";
    case EBUSY:
      return HeldAdvice("");
    case ENXIO:
      return "The device has no port behind it: load the drivers (sudo modprobe parport_pc ppdev) or check "
             "that the card is fitted.";
    case ENOTTY:
    case EINVAL:
      return "That device is not a parallel port: give a ppdev device such as /dev/parport0.";
    case EIO:
      return "The port stopped answering: check the cable, the adapter's supply and the parallel port (or its card), "
             "then read again.";
    default:
      break;
  }
  if (error.Call() == "ioperm") {
    return std::string(
               "This kernel gives no direct port access (not an x86 PC, or a container or virtual machine "
               "without it): use ppdev (sudo modprobe parport_pc ppdev") +
           (window ? "; the window then opens /dev/parport0 itself)." : ", then --port /dev/parport0).");
  }
  // Root needs no group and no more rights: only the drivers, or a port.
  std::string advice = "To fix: load the drivers (sudo modprobe parport_pc ppdev)";
  if (!root) advice += ", join the lp group (sudo usermod -aG lp $USER, then log in again), or run as root";
  return advice +
         ". Under kernel lockdown (Secure Boot) direct I/O is refused even to root, so use ppdev there. "
         "Without a parallel port, try the emulated chip: " +
         emulatedChip + ".";
}
