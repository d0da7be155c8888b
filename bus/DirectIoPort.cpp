#include "bus/DirectIoPort.h"

#include <cerrno>

#include "bus/BusLines.h"
#include "bus/PortError.h"

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#include <sys/io.h>

namespace {
constexpr unsigned long FirstRegister = DataPort;
constexpr unsigned long RegisterCount = 3;  // data, status, control
}  // namespace

DirectIoPort::DirectIoPort() {
  if (ioperm(FirstRegister, RegisterCount, 1) != 0) {
    throw OsPortError("ioperm", DirectIoDescription, errno);
  }
}

DirectIoPort::~DirectIoPort() { ioperm(FirstRegister, RegisterCount, 0); }

std::uint8_t DirectIoPort::ReadPortByte(std::uint16_t port) { return inb(port); }

void DirectIoPort::WritePortByte(std::uint16_t port, std::uint8_t value) { outb(value, port); }

#else

DirectIoPort::DirectIoPort() { throw EPortError("Direct port I/O is only available on x86 Linux"); }
DirectIoPort::~DirectIoPort() = default;
std::uint8_t DirectIoPort::ReadPortByte(std::uint16_t) { return 0xFF; }
void DirectIoPort::WritePortByte(std::uint16_t, std::uint8_t) {}

#endif
