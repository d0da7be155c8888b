#include "bus/PpdevPort.h"

#include <cerrno>

#include "bus/BusLines.h"
#include "bus/PortError.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
int OpenDevice(const char* path, int flags) { return ::open(path, flags); }
int ControlDevice(int fd, unsigned long request, void* argument) { return ::ioctl(fd, request, argument); }
int CloseDevice(int fd) { return ::close(fd); }
}  // namespace

const PpdevCalls& RealPpdevCalls() {
  static const PpdevCalls calls{OpenDevice, ControlDevice, CloseDevice};
  return calls;
}

PpdevPort::PpdevPort(std::string device, const PpdevCalls& calls) : device_(std::move(device)), calls_(calls) {
  fd_ = calls_.open(device_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) throw OsPortError("open", device_, errno);
  // The kernel refuses every other ioctl with EINVAL until the port is claimed.
  if (calls_.ioctl(fd_, PPCLAIM, nullptr) != 0) {
    const int osError = errno;
    calls_.close(fd_);
    throw OsPortError("ioctl PPCLAIM", device_, osError);
  }
  int forward = 0;
  if (calls_.ioctl(fd_, PPDATADIR, &forward) != 0) {
    const int osError = errno;
    calls_.ioctl(fd_, PPRELEASE, nullptr);
    calls_.close(fd_);
    throw OsPortError("ioctl PPDATADIR", device_, osError);
  }
}

PpdevPort::~PpdevPort() {
  calls_.ioctl(fd_, PPRELEASE, nullptr);
  calls_.close(fd_);
}

void PpdevPort::Control(unsigned long request, const char* name, void* argument) {
  if (calls_.ioctl(fd_, request, argument) != 0) {
    throw OsPortError(name, device_, errno);
  }
}

std::uint8_t PpdevPort::ReadPortByte(std::uint16_t port) {
  if (port != StatusPort) throw EPortError("ppdev backend: only the status register can be read");
  unsigned char status = 0;
  Control(PPRSTATUS, "ioctl PPRSTATUS", &status);
  return status;
}

void PpdevPort::WritePortByte(std::uint16_t port, std::uint8_t value) {
  if (port != DataPort) throw EPortError("ppdev backend: only the data register can be written");
  unsigned char data = value;
  Control(PPWDATA, "ioctl PPWDATA", &data);
}
