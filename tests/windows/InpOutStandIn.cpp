// inpoutx64.dll for tests: InpOut's three exports, with the emulated adapter and a 25160 behind
// them instead of a kernel driver. LPT_STANDIN_IMAGE names a 2048-byte image for the chip
// (default: each cell holds its address's low byte); LPT_STANDIN_DRIVER=closed plays a driver
// that was never installed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "emu/EmulatedAdapter.h"
#include "emu/ImageFile.h"

namespace {
EmulatedAdapter& Adapter() {
  static const std::unique_ptr<EmulatedAdapter> adapter = [] {
    const char* image = std::getenv("LPT_STANDIN_IMAGE");
    return std::make_unique<EmulatedAdapter>(image != nullptr ? LoadEepromImage(image) : AddressPatternImage());
  }();
  return *adapter;
}

// A broken bus rule is a test failure: say which and stop, as no caller of Out32 checks.
[[noreturn]] void Fail(const std::exception& error) {
  std::fprintf(stderr, "InpOut stand-in: %s\n", error.what());
  std::fflush(stderr);
  std::_Exit(70);
}
}  // namespace

extern "C" {
__declspec(dllexport) BOOL __stdcall IsInpOutDriverOpen() {
  const char* driver = std::getenv("LPT_STANDIN_DRIVER");
  return driver == nullptr || std::string(driver) != "closed";
}

__declspec(dllexport) short __stdcall Inp32(short port) {
  try {
    return Adapter().ReadPortByte(static_cast<std::uint16_t>(port));
  } catch (const std::exception& error) {
    Fail(error);
  }
}

__declspec(dllexport) void __stdcall Out32(short port, short value) {
  try {
    Adapter().WritePortByte(static_cast<std::uint16_t>(port), static_cast<std::uint8_t>(value));
  } catch (const std::exception& error) {
    Fail(error);
  }
}
}
