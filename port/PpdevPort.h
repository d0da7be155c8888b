// SPDX-License-Identifier: MIT
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "port/PortBackend.h"
#include "port/PortError.h"

// The system calls the ppdev backend makes, replaceable so tests can refuse any of them.
struct PpdevCalls {
  int (*open)(const char* path, int flags);
  int (*ioctl)(int fd, unsigned long request, void* argument);
  int (*close)(int fd);
  // Who the kernel says holds the port behind the device (its devices/active under
  // /proc/sys/dev/parport): nothing when the kernel has no such port, "" when nobody holds it.
  std::optional<std::string> (*holder)(const std::string& device);
};
const PpdevCalls& RealPpdevCalls();

inline constexpr const char* FirstPpdevDevice = "/dev/parport0";

// Whether ppdev's failure says there is no ppdev port at all (no device, the driver or the port
// not loaded), rather than a port that is there but held or refused: only then may another way
// to the port be tried.
bool PpdevFoundNoPort(const EPortError& error);

// The first parallel port through the kernel's ppdev driver, data lines driven forward. A write of
// DataPort is one PPWDATA, a read of StatusPort one PPRSTATUS. The port is claimed on opening and
// while in use; Release hands it back to the kernel so that other programs can use it, and the
// next access claims it again. A claim waits at most a second for another program to let go.
// Every call is checked; a failure raises EPortError naming the device, the call and the error.
// A port that another program or driver holds raises EPortHeld naming the holder.
class PpdevPort : public PortBackend {
 public:
  explicit PpdevPort(std::string device = FirstPpdevDevice, const PpdevCalls& calls = RealPpdevCalls());
  ~PpdevPort() override;
  PpdevPort(const PpdevPort&) = delete;
  PpdevPort& operator=(const PpdevPort&) = delete;

  std::uint8_t ReadPortByte(std::uint16_t port) override;
  void WritePortByte(std::uint16_t port, std::uint8_t value) override;
  void Release() override;
  std::optional<std::uint8_t> DataLatch() override;  // PPRDATA, nullopt if the driver does not say

 private:
  void Claim();
  void ReleaseClaim();
  void Control(unsigned long request, const char* name, void* argument);
  [[noreturn]] void ThrowClaimFailure(int osError);

  std::string device_;
  const PpdevCalls& calls_;
  int fd_ = -1;
  bool claimed_ = false;
};
