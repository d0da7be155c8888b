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
  std::string advice;
  for (const Attempt& attempt : attempts_) {
    try {
      port_ = attempt.open();
      return *port_;
    } catch (const EPortError& error) {
      failures += "  - " + attempt.name + ": " + error.what() + "\n";
      const std::string fix = PortAdviceFor(error);
      if (advice.find(fix) == std::string::npos) advice += (advice.empty() ? "" : "\n") + fix;
    }
  }
  throw EPortError("The parallel port could not be opened.\n" + failures + "\n" + advice);
}

void FirstParallelPort::Open() { Opened(); }

std::uint8_t FirstParallelPort::ReadPortByte(std::uint16_t port) { return Opened().ReadPortByte(port); }

void FirstParallelPort::WritePortByte(std::uint16_t port, std::uint8_t value) { Opened().WritePortByte(port, value); }
