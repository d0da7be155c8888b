#pragma once
#include <cstdint>

#include "bus/PortBackend.h"

// The first parallel port on Windows, through the free InpOut driver. User programs on Windows
// cannot execute in/out themselves; InpOut's DLL (inpoutx64.dll for a 64-bit program) passes
// each access to its kernel driver. The DLL is loaded at run time, from the program's own
// folder first, then from the system's search path; it is never shipped with the program.
// A read of StatusPort is one Inp32(0x379), a write of DataPort one Out32(0x378, value).
class InpOutPort : public PortBackend {
 public:
  InpOutPort();  // raises EPortError when the DLL is missing or its driver is not open
  ~InpOutPort() override;
  InpOutPort(const InpOutPort&) = delete;
  InpOutPort& operator=(const InpOutPort&) = delete;

  std::uint8_t ReadPortByte(std::uint16_t port) override;
  void WritePortByte(std::uint16_t port, std::uint8_t value) override;

 private:
  using Inp32Function = short(__stdcall*)(short port);
  using Out32Function = void(__stdcall*)(short port, short value);

  void* library_ = nullptr;
  Inp32Function inp32_ = nullptr;
  Out32Function out32_ = nullptr;
};

inline constexpr const char* InpOutLibrary = "inpoutx64.dll";
