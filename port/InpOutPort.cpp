#include "port/InpOutPort.h"

#include <windows.h>

#include "port/PortError.h"
#include "runtime/WindowsText.h"

namespace {
using IsDriverOpenFunction = BOOL(__stdcall*)();

// The program's own folder, with a trailing backslash.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

template <class Function>
Function Export(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

std::string BitnessText(bool sixtyFour) { return sixtyFour ? "64-bit" : "32-bit"; }
}  // namespace

InpOutPort::InpOutPort(std::uint16_t base) : base_(base) {
  const std::wstring besideProgram = ProgramFolder() + WideText(InpOutLibrary);
  HMODULE library = LoadLibraryExW(besideProgram.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD besideError = library == nullptr ? GetLastError() : 0;
  if (library == nullptr) library = LoadLibraryW(WideText(InpOutLibrary).c_str());
  if (library == nullptr) {
    const DWORD searchError = GetLastError();
    // A DLL of the other bitness cannot be loaded into this program at all.
    if (besideError == ERROR_BAD_EXE_FORMAT || searchError == ERROR_BAD_EXE_FORMAT) {
      const std::string where = besideError == ERROR_BAD_EXE_FORMAT
                                    ? "beside the program (" + Utf8Text(ProgramFolder()) + ")"
                                    : "on the system's search path";
      throw EPortError(std::string("the ") + InpOutLibrary + " found " + where + " is not a " +
                           BitnessText(SixtyFourBitProgram) + " DLL (it is the " + BitnessText(!SixtyFourBitProgram) +
                           " one, or not a DLL at all)",
                       ERROR_BAD_EXE_FORMAT, "LoadLibrary");
    }
    throw EPortError(std::string(InpOutLibrary) + " (InpOut's DLL) was found neither beside the program (" +
                         Utf8Text(ProgramFolder()) +
                         ") nor on the system's search path: " + WindowsErrorText(searchError),
                     static_cast<int>(searchError), "LoadLibrary");
  }
  library_ = library;
  inp32_ = Export<Inp32Function>(library, "Inp32");
  out32_ = Export<Out32Function>(library, "Out32");
  const auto isDriverOpen = Export<IsDriverOpenFunction>(library, "IsInpOutDriverOpen");
  if (inp32_ == nullptr || out32_ == nullptr || isDriverOpen == nullptr) {
    FreeLibrary(library);
    throw EPortError(std::string(InpOutLibrary) + " lacks Inp32, Out32 or IsInpOutDriverOpen: it is not InpOut's DLL",
                     0, "LoadLibrary");
  }
  if (!isDriverOpen()) {
    FreeLibrary(library);
    throw EPortError(
        std::string("InpOut's driver is not open (") + InpOutLibrary + " loaded, but IsInpOutDriverOpen said no)", 0,
        "IsInpOutDriverOpen");
  }
}

InpOutPort::~InpOutPort() { FreeLibrary(static_cast<HMODULE>(library_)); }

std::uint8_t InpOutPort::ReadPortByte(std::uint16_t port) {
  return static_cast<std::uint8_t>(inp32_(Register(port)) & 0xFF);
}

void InpOutPort::WritePortByte(std::uint16_t port, std::uint8_t value) {
  out32_(Register(port), static_cast<short>(value));
}
