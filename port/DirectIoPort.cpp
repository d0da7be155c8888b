#include "port/DirectIoPort.h"

#include <cerrno>

#include "port/ListedPorts.h"
#include "port/PortRegisters.h"
#include "runtime/HexText.h"

namespace {
constexpr unsigned long RegisterCount = 3;  // data, status, control

std::string NoPortAnswers(std::uint16_t base, std::uint8_t written, std::uint8_t readBack) {
  return "no parallel port answers at I/O " + IoAddressText(base) + " (" + HexText(written) + " was written, " +
         HexText(readBack) +
         " read back); check that the port is enabled in the BIOS setup; a PCI or PCIe card sits at another address "
         "(see /proc/ioports): use it through ppdev, or give --port direct:ADDRESS";
}

std::string RegistersText(std::uint16_t base) {
  return "I/O ports " + IoAddressText(base) + "-" + IoAddressText(static_cast<std::uint16_t>(base + 2));
}
}  // namespace

DirectIoPort::DirectIoPort(const DirectIoCalls& calls, std::uint16_t base) : calls_(calls), base_(base) {
  if (calls_.ioperm(base_, RegisterCount, 1) != 0) throw OsPortError("ioperm", RegistersText(base_), errno);
  // A bidirectional port left reading would show its lines, not the latch: drive them.
  const std::uint8_t control = calls_.inb(Register(ControlPort));
  if ((control & DataLinesAreInputs) != 0) calls_.outb(control & ~DataLinesAreInputs, Register(ControlPort));
}

DirectIoPort::~DirectIoPort() { calls_.ioperm(base_, RegisterCount, 0); }

std::uint8_t DirectIoPort::ReadPortByte(std::uint16_t port) { return calls_.inb(Register(port)); }

void DirectIoPort::WritePortByte(std::uint16_t port, std::uint8_t value) {
  calls_.outb(value, Register(port));
  if (dataChecked_ || port != DataPort) return;
  dataChecked_ = true;
  const std::uint8_t readBack = calls_.inb(Register(DataPort));
  if (readBack != value) throw ENoPortAnswers(NoPortAnswers(base_, value, readBack), ENODEV, "probe");
}

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#include <sys/io.h>

namespace {
std::uint8_t In(std::uint16_t port) { return inb(port); }
void Out(std::uint8_t value, std::uint16_t port) { outb(value, port); }
}  // namespace

const DirectIoCalls& RealDirectIoCalls() {
  static const DirectIoCalls calls{::ioperm, In, Out};
  return calls;
}

#else

namespace {
int NoPermission(unsigned long, unsigned long, int) {
  errno = ENOSYS;
  return -1;
}
std::uint8_t NoIn(std::uint16_t) { return 0xFF; }
void NoOut(std::uint8_t, std::uint16_t) {}
}  // namespace

const DirectIoCalls& RealDirectIoCalls() {
  static const DirectIoCalls calls{NoPermission, NoIn, NoOut};
  return calls;
}

#endif
