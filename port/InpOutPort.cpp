// SPDX-License-Identifier: MIT
#include "port/InpOutPort.h"

#include <windows.h>

#include <string>
#include <vector>

#include "port/ListedPorts.h"
#include "port/PortError.h"
#include "port/SystemParallelPorts.h"
#include "runtime/WindowsFolders.h"
#include "runtime/WindowsText.h"

namespace {

using IsDriverOpenFunction = BOOL(__stdcall*)();

template <class Function>
Function Export(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

std::string BitnessText(bool sixtyFour) { return sixtyFour ? "64-bit" : "32-bit"; }

// The system folder as Explorer shows it to the user: a 32-bit program on 64-bit Windows that
// asks for System32 is given SysWOW64, so that is where its DLL must go.
std::wstring SystemFolderAsSeen() {
  BOOL wow64 = FALSE;
  wchar_t path[MAX_PATH];
  if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
    const UINT length = GetSystemWow64DirectoryW(path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return std::wstring(path, length) + L"\\";
  }
  return SystemFolder();
}

// "; the inpoutx64.dll beside the program is the 64-bit one, which this 32-bit program cannot
// load": the other bitness's DLL, where a user may have put it instead.
std::string OtherBitnessNote() {
  const char* other = SixtyFourBitProgram ? "inpout32.dll" : "inpoutx64.dll";
  std::string note;
  for (const std::wstring& folder : {ProgramFolder(), SystemFolderAsSeen()}) {
    if (GetFileAttributesW((folder + WideText(other)).c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    note += std::string(note.empty() ? "" : "; ") + "the " + other + " in " + Utf8Text(folder) + " is the " +
            BitnessText(!SixtyFourBitProgram) + " one, which this " + BitnessText(SixtyFourBitProgram) +
            " program cannot load";
  }
  return note.empty() ? "" : " (" + note + ")";
}
}  // namespace

InpOutPort::InpOutPort(std::uint16_t base) : RegisterPort(base) { LoadLibraryAndDriver(); }

void InpOutPort::LoadLibraryAndDriver() {
  HMODULE library = nullptr;
  DWORD lastError = ERROR_MOD_NOT_FOUND;
  for (const std::wstring& folder : DllSearchFolders()) {
    // A full path: the loader searches no folder, the current one least of all.
    library = LoadLibraryExW((folder + WideText(InpOutLibrary)).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library != nullptr) break;
    lastError = GetLastError();
    // A DLL of the other bitness cannot be loaded into this program at all.
    if (lastError == ERROR_BAD_EXE_FORMAT) {
      const std::string where =
          folder == ProgramFolder() ? "beside the program (" + Utf8Text(folder) + ")" : "in " + Utf8Text(folder);
      throw EPortError(std::string("the ") + InpOutLibrary + " found " + where + " is not a " +
                           BitnessText(SixtyFourBitProgram) + " DLL (it is the " + BitnessText(!SixtyFourBitProgram) +
                           " one, or not a DLL at all)",
                       ERROR_BAD_EXE_FORMAT, "LoadLibrary");
    }
  }
  if (library == nullptr) {
    throw EPortError(std::string(InpOutLibrary) + " (InpOut's DLL) was found neither beside the program (" +
                         Utf8Text(ProgramFolder()) + ") nor in the system folder (" + Utf8Text(SystemFolderAsSeen()) +
                         ") or a folder of PATH" + OtherBitnessNote() + ": " + WindowsErrorText(lastError),
                     static_cast<int>(lastError), "LoadLibrary");
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

ENoPortAnswers InpOutPort::NoPortAnswers(std::uint8_t written, std::uint8_t readBack) const {
  return ENoPortAnswers(NoPortAnswersAt(Base(), written, readBack) + "; Windows lists " +
                            DescribeListedPorts(SystemParallelPorts()) + ")",
                        0, "probe");
}
