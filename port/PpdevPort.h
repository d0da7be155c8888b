#pragma once
#include <memory>
#include <string>

#include "port/PortBackend.h"

// The system calls the ppdev backend makes, replaceable so tests can refuse any of them.
struct PpdevCalls {
  int (*open)(const char* path, int flags);
  int (*ioctl)(int fd, unsigned long request, void* argument);
  int (*close)(int fd);
};
const PpdevCalls& RealPpdevCalls();

inline constexpr const char* FirstPpdevDevice = "/dev/parport0";

// The first parallel port through the kernel's ppdev driver, data lines driven forward. A write of
// DataPort is one PPWDATA, a read of StatusPort one PPRSTATUS. The port is claimed on opening and
// while in use; Release hands it back to the kernel so that other programs can use it, and the
// next access claims it again. A claim waits at most a second for another program to let go.
// Every call is checked; a failure raises EPortError naming the device, the call and the error.
class PpdevPort : public PortBackend {
 public:
  explicit PpdevPort(std::string device = FirstPpdevDevice, const PpdevCalls& calls = RealPpdevCalls());
  ~PpdevPort() override;
  PpdevPort(const PpdevPort&) = delete;
  PpdevPort& operator=(const PpdevPort&) = delete;

  std::uint8_t ReadPortByte(std::uint16_t port) override;
  void WritePortByte(std::uint16_t port, std::uint8_t value) override;
  void Release() override;

 private:
  void Claim();
  void ReleaseClaim();
  void Control(unsigned long request, const char* name, void* argument);

  std::string device_;
  const PpdevCalls& calls_;
  int fd_ = -1;
  bool claimed_ = false;
};
