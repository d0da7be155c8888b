#include "bus/FirstParallelPort.h"

#include "bus/DirectIoPort.h"
#include "bus/PortError.h"
#include "bus/PpdevPort.h"

FirstParallelPort::FirstParallelPort()
    : FirstParallelPort({{"ppdev", [] { return std::make_unique<PpdevPort>(); }},
                         {"direct I/O", [] { return std::make_unique<DirectIoPort>(); }}}) {}

FirstParallelPort::FirstParallelPort(std::vector<Attempt> attempts) : attempts_(std::move(attempts)) {}

PortBackend& FirstParallelPort::Opened() {
  if (port_) return *port_;
  std::string failures;
  for (const Attempt& attempt : attempts_) {
    try {
      port_ = attempt.open();
      return *port_;
    } catch (const std::exception& error) {
      failures += "  - " + attempt.name + ": " + error.what() + "\n";
    }
  }
  throw EPortError("The parallel port could not be opened.\n" + failures + "\n" + PortAccessAdvice());
}

std::uint8_t FirstParallelPort::ReadPortByte(std::uint16_t port) { return Opened().ReadPortByte(port); }

void FirstParallelPort::WritePortByte(std::uint16_t port, std::uint8_t value) { Opened().WritePortByte(port, value); }

std::string PortAccessAdvice() {
  return "To fix: load the drivers (sudo modprobe parport_pc ppdev), join the lp group "
         "(sudo usermod -aG lp $USER, then log in again), or run as root. Under kernel lockdown "
         "(Secure Boot) direct I/O is refused even to root, so use ppdev there. Without a "
         "parallel port, try the emulated chip: lpt-tool-demo, or lpt-dump --port emulate.";
}
