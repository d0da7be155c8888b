#pragma once
#include "bus/PortBackend.h"

// The first parallel port through the processor's own I/O instructions (x86 only). Needs
// permission for ports 0x378..0x37A, which the kernel grants to root unless it is locked down.
class DirectIoPort : public PortBackend {
 public:
  DirectIoPort();
  ~DirectIoPort() override;
  DirectIoPort(const DirectIoPort&) = delete;
  DirectIoPort& operator=(const DirectIoPort&) = delete;

  std::uint8_t ReadPortByte(std::uint16_t port) override;
  void WritePortByte(std::uint16_t port, std::uint8_t value) override;
};

inline constexpr const char* DirectIoDescription = "I/O ports 0x378-0x37A";
