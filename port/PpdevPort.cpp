// SPDX-License-Identifier: MIT
#include "port/PpdevPort.h"

#include <cerrno>

#include "port/PortError.h"
#include "port/PortRegisters.h"
#include "runtime/CallDeadline.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>

namespace {
int OpenDevice(const char* path, int flags) { return ::open(path, flags); }
int ControlDevice(int fd, unsigned long request, void* argument) { return ::ioctl(fd, request, argument); }
int CloseDevice(int fd) { return ::close(fd); }

// ppdev's minor number is the number of the kernel's port behind it.
std::optional<std::string> KernelPortHolder(const std::string& device) {
  struct stat status {};
  if (stat(device.c_str(), &status) != 0 || !S_ISCHR(status.st_mode)) return std::nullopt;
  const std::string port = "/proc/sys/dev/parport/parport" + std::to_string(minor(status.st_rdev));
  std::ifstream active(port + "/devices/active");
  std::string holder;
  if (!active) {
    if (access(port.c_str(), F_OK) != 0) return std::nullopt;
    return "";
  }
  std::getline(active, holder);
  return holder == "none" ? "" : holder;
}

std::string HolderText(const std::string& holder) {
  if (holder.empty()) return "another program";
  if (holder == "lp") return "the printer driver lp (a print job, or a print service such as CUPS)";
  if (holder.rfind("ppdev", 0) == 0)
    return "another program that opened it through ppdev (the kernel names it " + holder + ")";
  return "the kernel driver " + holder;
}
}  // namespace

const PpdevCalls& RealPpdevCalls() {
  static const PpdevCalls calls{OpenDevice, ControlDevice, CloseDevice, KernelPortHolder};
  return calls;
}

bool PpdevFoundNoPort(const EPortError& error) {
  if (dynamic_cast<const EPortHeld*>(&error) != nullptr) return false;
  const int osError = error.OsError();
  return osError == ENOENT || osError == ENODEV || osError == ENXIO;
}

PpdevPort::PpdevPort(std::string device, const PpdevCalls& calls) : device_(std::move(device)), calls_(calls) {
  fd_ = calls_.open(device_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) throw OsPortError("open", device_, errno);
  try {
    Claim();
  } catch (const EPortError&) {
    calls_.close(fd_);
    throw;
  }
}

PpdevPort::~PpdevPort() {
  ReleaseClaim();
  calls_.close(fd_);
}

void PpdevPort::Claim() {
  // The kernel refuses every other ioctl with EINVAL until the port is claimed, and a claim of a
  // port that another program holds waits until that program lets go: not longer than a second.
  int claimError = 0;
  {
    const CallDeadline deadline(1);
    if (calls_.ioctl(fd_, PPCLAIM, nullptr) != 0) claimError = errno;
  }
  if (claimError != 0) ThrowClaimFailure(claimError);
  claimed_ = true;
  int forward = 0;
  if (calls_.ioctl(fd_, PPDATADIR, &forward) != 0) {
    const int osError = errno;
    ReleaseClaim();
    throw OsPortError("ioctl PPDATADIR", device_, osError);
  }
}

// EINTR: the claim waited its second for another program to let go. ENXIO: the kernel has no
// port behind the device, or another holds it exclusively, which the kernel's port list tells.
void PpdevPort::ThrowClaimFailure(int osError) {
  const std::optional<std::string> holder = calls_.holder(device_);
  if (osError == EINTR || osError == EBUSY || (osError == ENXIO && holder && !holder->empty())) {
    const std::string who = HolderText(holder.value_or(""));
    throw EPortHeld("The parallel port " + device_ + " is in use by " + who + ".", holder.value_or(""),
                    "ioctl PPCLAIM");
  }
  throw OsPortError("ioctl PPCLAIM", device_, osError);
}

void PpdevPort::Release() { ReleaseClaim(); }

void PpdevPort::ReleaseClaim() {
  if (!claimed_) return;
  calls_.ioctl(fd_, PPRELEASE, nullptr);
  claimed_ = false;
}

void PpdevPort::Control(unsigned long request, const char* name, void* argument) {
  if (!claimed_) Claim();
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

std::optional<std::uint8_t> PpdevPort::DataLatch() {
  if (!claimed_) Claim();
  unsigned char data = 0;
  if (calls_.ioctl(fd_, PPRDATA, &data) != 0) return std::nullopt;
  return data;
}

void PpdevPort::WritePortByte(std::uint16_t port, std::uint8_t value) {
  if (port != DataPort) throw EPortError("ppdev backend: only the data register can be written");
  unsigned char data = value;
  Control(PPWDATA, "ioctl PPWDATA", &data);
}
