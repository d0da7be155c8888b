#include "port/DirectIoPort.h"

#include <cerrno>

#include "port/ListedPorts.h"

namespace {
constexpr unsigned long RegisterCount = 3;  // data, status, control

std::string RegistersText(std::uint16_t base) {
  return "I/O ports " + IoAddressText(base) + "-" + IoAddressText(static_cast<std::uint16_t>(base + 2));
}
}  // namespace

DirectIoPort::DirectIoPort(const DirectIoCalls& calls, std::uint16_t base) : RegisterPort(base), calls_(calls) {
  if (calls_.ioperm(Base(), RegisterCount, 1) != 0) throw OsPortError("ioperm", RegistersText(Base()), errno);
}

DirectIoPort::~DirectIoPort() { calls_.ioperm(Base(), RegisterCount, 0); }

ENoPortAnswers DirectIoPort::NoPortAnswers(std::uint8_t written, std::uint8_t readBack) const {
  return ENoPortAnswers(NoPortAnswersAt(Base(), written, readBack) +
                            "); check that the port is enabled in the BIOS setup; a PCI or PCIe card sits at another "
                            "address (see /proc/ioports): use it through ppdev, or give --port direct:ADDRESS",
                        ENODEV, "probe");
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
