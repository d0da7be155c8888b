// SPDX-License-Identifier: MIT
// lpt-tool-demo.exe: the window on an emulated adapter with a 25160 in its socket, holding a
// built-in image or the 2048-byte image file given as the only argument.
#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string>

#include "bus/Port95.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "runtime/WindowsText.h"
#include "ui/win32/ProgramEntry.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::wstring imageName = count == 2 ? arguments[1] : L"";
  LocalFree(arguments);
  constexpr const wchar_t* Caption = L"Korvane (emulated 25160)";
  if (count > 2) {
    MessageBoxW(nullptr, L"Usage: lpt-tool-demo.exe [IMAGE]\nIMAGE: a 2048-byte file the emulated 25160 holds.",
                Caption, MB_OK | MB_ICONINFORMATION);
    return 2;
  }
  EepromImage image{};
  try {
    image = imageName.empty() ? DemoEepromImage() : LoadEepromImage(Utf8Text(imageName));
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, WideText(error.what()).c_str(), Caption, MB_OK | MB_ICONERROR);
    return 2;
  }
  EmulatedAdapter adapter(image);
  InstallPortBackend(&adapter);
  // The caption says the chip is emulated, so a demo dump is never taken for a real one.
  return RunMainWindow(Caption);
}
