// SPDX-License-Identifier: MIT
// inpoutx64.dll (inpout32.dll in the 32-bit build) for tests: InpOut's three exports, with the
// emulated adapter and a 25160 behind them instead of a kernel driver. LPT_STANDIN_IMAGE names a
// 2048-byte image for the chip (default: each cell holds its address's low byte);
// LPT_STANDIN_DRIVER=closed plays a driver that was never installed; LPT_STANDIN_BASE=0xD010
// puts the adapter on a port at that base (a PCIe card's), with an empty bus elsewhere (writes
// go nowhere, reads give 0xFF); the port's data register reads back its latch and its control
// register holds what was written, as a real port's do; LPT_STANDIN_TRACE names a file that gets each data register
// write as it happens, one byte each; LPT_STANDIN_TIMES names a file that gets each whole read's data register writes,
// time-stamped ("MICROS VALUE" lines), once the read ends (bench/window-pace), and "<file>.paints" the paints
// of the window's progress and status bars during it ("PROGRESS STATUS" lines); LPT_STANDIN_HOLD names a file
// that holds each read in its middle while it exists (tests/support/ReadHold.h).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "tests/support/ReadHold.h"

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

// The register of the port for an access at `port` (0x378 to 0x37A), or 0 where no port is.
std::uint16_t PortRegister(short port) {
  static const unsigned long base = [] {
    const char* text = std::getenv("LPT_STANDIN_BASE");
    return text != nullptr ? std::strtoul(text, nullptr, 16) : 0x378UL;
  }();
  const auto offset = static_cast<long>(static_cast<std::uint16_t>(port)) - static_cast<long>(base);
  return offset < 0 || offset > 2 ? 0 : static_cast<std::uint16_t>(0x378 + offset);
}

// What the port itself holds: the data latch, and the control register (a bidirectional port,
// left with its data lines as inputs by an earlier program).
std::uint8_t dataLatch = 0;
std::uint8_t control = 0x24;
// Written through at once, so a test sees the trace grow while the read runs.
void Trace(std::uint8_t value) {
  static const HANDLE file = [] {
    const char* name = std::getenv("LPT_STANDIN_TRACE");
    return name == nullptr ? INVALID_HANDLE_VALUE
                           : CreateFileA(name, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }();
  DWORD written = 0;
  if (file != INVALID_HANDLE_VALUE) WriteFile(file, &value, 1, &written, nullptr);
}
// The paints of the window's two bars, counted by a window procedure put in front of each bar's
// own (a hook would cost every message of the thread a round trip to Wine's server).
unsigned progressPaints = 0;
unsigned statusPaints = 0;
WNDPROC progressProcedure = nullptr;
WNDPROC statusProcedure = nullptr;
LRESULT CALLBACK CountProgressPaints(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++progressPaints;
  return CallWindowProcW(progressProcedure, bar, message, wParam, lParam);
}
LRESULT CALLBACK CountStatusPaints(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++statusPaints;
  return CallWindowProcW(statusProcedure, bar, message, wParam, lParam);
}
BOOL CALLBACK CountPaintsOf(HWND child, LPARAM) {
  wchar_t kind[32] = L"";
  GetClassNameW(child, kind, 32);
  if (_wcsicmp(kind, L"msctls_progress32") == 0 && progressProcedure == nullptr) {
    progressProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountProgressPaints)));
  }
  if (_wcsicmp(kind, L"msctls_statusbar32") == 0 && statusProcedure == nullptr) {
    statusProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountStatusPaints)));
  }
  return TRUE;
}
BOOL CALLBACK CountPaintsInWindow(HWND window, LPARAM) {
  EnumChildWindows(window, CountPaintsOf, 0);
  return TRUE;
}
void CountBarPaints() { EnumThreadWindows(GetCurrentThreadId(), CountPaintsInWindow, 0); }

// Kept in memory during a read, written once the chip is deselected, so the file costs the
// read nothing.
void TimeStamp(std::uint8_t value) {
  static const char* const name = std::getenv("LPT_STANDIN_TIMES");
  static std::vector<std::pair<LONGLONG, std::uint8_t>> writes;
  if (name == nullptr) return;
  if (writes.empty()) {
    CountBarPaints();
    progressPaints = statusPaints = 0;
  }
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  writes.emplace_back(now.QuadPart, value);
  if (value != 0xF1) return;
  if (writes.size() > 30000) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    if (std::FILE* file = std::fopen(name, "a")) {
      for (const auto& [at, written] : writes) {
        std::fprintf(file, "%.3f %u\n", 1e6 * static_cast<double>(at) / static_cast<double>(frequency.QuadPart),
                     written);
      }
      std::fclose(file);
    }
    if (std::FILE* file = std::fopen((std::string(name) + ".paints").c_str(), "a")) {
      std::fprintf(file, "%u %u\n", progressPaints, statusPaints);
      std::fclose(file);
    }
  }
  writes.clear();
}
}  // namespace

extern "C" {
__declspec(dllexport) BOOL __stdcall IsInpOutDriverOpen() {
  const char* driver = std::getenv("LPT_STANDIN_DRIVER");
  return driver == nullptr || std::string(driver) != "closed";
}

__declspec(dllexport) short __stdcall Inp32(short port) {
  switch (PortRegister(port)) {
    case 0:
      return 0xFF;  // nothing drives an empty bus
    case 0x378:
      return (control & 0x20) != 0 ? 0xFF : dataLatch;
    case 0x37A:
      return control;
    default:
      try {
        return Adapter().ReadPortByte(0x379);
      } catch (const std::exception& error) {
        Fail(error);
      }
  }
}

__declspec(dllexport) void __stdcall Out32(short port, short value) {
  const auto byte = static_cast<std::uint8_t>(value);
  const std::uint16_t reg = PortRegister(port);
  if (reg == 0) return;  // an empty bus
  if (reg == 0x37A) {
    control = byte;
    return;
  }
  if (reg == 0x378) {
    static ReadHold hold = ReadHold::FromEnvironment("LPT_STANDIN_HOLD");
    hold.OnDataWrite(byte);
    Trace(byte);
    TimeStamp(byte);
    dataLatch = byte;
  }
  try {  // the adapter refuses a write of the status register
    Adapter().WritePortByte(reg, byte);
  } catch (const std::exception& error) {
    Fail(error);
  }
}
}
