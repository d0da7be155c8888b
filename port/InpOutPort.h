// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

#include "port/RegisterPort.h"

// A parallel port on Windows through the free InpOut driver, since user programs there cannot
// execute in/out: its DLL (inpoutx64.dll or inpout32.dll, by the program's bitness, never shipped
// with it) is loaded at run time and passes each access to its kernel driver. A write of DataPort
// is one Out32(base, value), a read of StatusPort one Inp32(base + 1).
class InpOutPort : public RegisterPort {
 public:
  // Raises EPortError when the DLL is missing or of the other bitness, or its driver is not open.
  explicit InpOutPort(std::uint16_t base = DataPort);
  ~InpOutPort() override;
  InpOutPort(const InpOutPort&) = delete;
  InpOutPort& operator=(const InpOutPort&) = delete;

 private:
  using Inp32Function = short(__stdcall*)(short port);
  using Out32Function = void(__stdcall*)(short port, short value);

  void LoadLibraryAndDriver();
  std::uint8_t In(std::uint16_t address) override {
    return static_cast<std::uint8_t>(inp32_(static_cast<short>(address)) & 0xFF);
  }
  void Out(std::uint16_t address, std::uint8_t value) override {
    out32_(static_cast<short>(address), static_cast<short>(value));
  }
  ENoPortAnswers NoPortAnswers(std::uint8_t written, std::uint8_t readBack) const override;

  void* library_ = nullptr;
  Inp32Function inp32_ = nullptr;
  Out32Function out32_ = nullptr;
};

// The DLL that fits this program's own bitness, and the InpOutBinaries folder it comes from.
inline constexpr bool SixtyFourBitProgram = sizeof(void*) == 8;
inline constexpr const char* InpOutLibrary = SixtyFourBitProgram ? "inpoutx64.dll" : "inpout32.dll";
inline constexpr const char* InpOutFolder = SixtyFourBitProgram ? "x64" : "Win32";
