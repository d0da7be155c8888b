// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "runtime/EndingSignals.h"
#include "runtime/ProcessEnd.h"

namespace {
// The exit status Windows gives a process ended by Ctrl+C.
constexpr int ControlCExit = static_cast<int>(0xC000013AU);

// Runs on a thread of its own that Windows starts for the event.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  if (EndHeld()) {
    // The read puts the bus idle and ends the process at its next wait; the save ends it once
    // the file is written and closed.
    RequestProcessEnd(0, ControlCExit);
    while (EndHeldBy(EndWaitsFor::FileBeingWritten)) Sleep(10);
    Sleep(5000);
  }
  EndProcess(0, ControlCExit);
}
}  // namespace

// The port is no handle on Windows: nothing the program opens can take standard output's place.
void EnsureStandardDescriptors() {}

void PrepareProcess() {
  SetDllDirectoryW(L"");  // no DLL that the program loads by name is taken from the current folder
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  _setmode(_fileno(stdout), _O_BINARY);
  // The console's code page is left alone (it outlives the program in that cmd window): text goes
  // to a console through WriteConsoleW, as characters, whatever the code page.
}

bool StandardOutputWasClosed() {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  return output == nullptr || output == INVALID_HANDLE_VALUE;
}
