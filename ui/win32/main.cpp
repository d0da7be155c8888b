// SPDX-License-Identifier: MIT
// lpt-tool.exe: the window on the PC's first parallel port, through InpOut's driver.
#include <windows.h>

#include "bus/Port95.h"
#include "port/FirstParallelPort.h"
#include "ui/win32/ProgramEntry.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  FirstParallelPort port(AdviceReader::Window);
  InstallPortBackend(&port);
  return RunMainWindow();
}
