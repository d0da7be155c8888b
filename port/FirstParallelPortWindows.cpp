// SPDX-License-Identifier: MIT
// The parallel port on Windows: InpOut's driver at the first LPTn that the system lists; and
// what to do when it does not open.
#include "port/FirstParallelPort.h"
#include "port/InpOutPort.h"
#include "port/PortError.h"
#include "port/SystemParallelPorts.h"

namespace {
constexpr const char* UsbPrinterCall = "USB printer port";

// InpOut at the first LPTn the system lists, at the base the system gave it (a PCIe card's port
// sits at 0xD010 or wherever it was placed); at 0x378, where an on-board port sits, when the
// system lists none. A failure names what was found and what was tried.
std::unique_ptr<PortBackend> OpenFirstListedPort() {
  const std::vector<ListedPort> listed = SystemParallelPorts();
  const std::optional<ListedPort> first = FirstListedPort(listed);
  const std::uint16_t base = first ? first->base : DataPort;
  const std::string tried = "tried " + (first ? first->name + " at " : std::string()) + IoAddressText(base) +
                            " (the system lists " + DescribeListedPorts(listed) + ")";
  if (!first && SystemHasUsbPrinterPort()) {
    throw EPortError(tried + "; a USB printer port is present", 0, UsbPrinterCall);
  }
  try {
    return std::make_unique<InpOutPort>(base);
  } catch (const EPortError& error) {
    throw EPortError(tried + ": " + error.what(), error.OsError(), error.Call());
  }
}
}  // namespace

std::vector<FirstParallelPort::Attempt> DefaultParallelPortAttempts() { return {{"InpOut", OpenFirstListedPort}}; }

std::string PortAdviceFor(const EPortError& error, AdviceReader reader) {
  const std::string placeDll = std::string("Get InpOut (InpOutBinaries, from highrez.co.uk) and put the ") +
                               InpOutLibrary + " from its " + InpOutFolder + " folder beside the program.";
  const std::string installDriver =
      "Install InpOut's driver once: run InpOut's InstallDriver.exe as administrator (right-click, Run as "
      "administrator), then start the program again. If it is installed and still does not open, Windows' Memory "
      "Integrity blocks it (Windows Security, Device security, Core isolation details): turn Memory Integrity off, "
      "restart Windows, then try again.";
  const std::string usbPrinter =
      "A USB-to-parallel printer cable is a printer, not a parallel port: it cannot drive the EEPROM's lines one by "
      "one. Use a port on the board or a PCI or PCIe parallel port card. If this PC has a port that Windows does "
      "not list, give its address: lpt-dump --port 0x378.";
  if (error.Call() == UsbPrinterCall) return usbPrinter;
  // Another copy of this program reads there (its own message says so): nothing to install.
  if (error.Call() == "lock") return "Close the other window or wait for its read to end.";
  if (dynamic_cast<const ENoPortAnswers*>(&error) != nullptr) {
    return "Check that an on-board port is enabled in the BIOS setup. A PCI or PCIe card's port sits at the address "
           "Windows gave it: Device Manager, Ports (COM & LPT), the port's Properties, Resources, the first I/O "
           "Range; read it there with lpt-dump --port 0xADDRESS (lpt-tool reads the first port Windows lists).";
  }
  if (error.Call() == "LoadLibrary") return placeDll;
  if (error.Call() == "IsInpOutDriverOpen") return installDriver;
  return placeDll + " " + installDriver + " Without a parallel port, try the emulated chip: " +
         (reader == AdviceReader::Window ? "lpt-tool-demo.exe." : "lpt-dump --port emulate.");
}
