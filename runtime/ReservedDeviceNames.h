// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// The device that Windows reserves a file name for, in any folder, with any extension, trailing
// dots or spaces ("nul.bin", "C:\\x\\com1 .txt", "LPT²"): CON, PRN, AUX, NUL, CONIN$, CONOUT$,
// COM1-COM9, LPT1-LPT9 and COM/LPT with the superscript digits 1, 2 and 3. "" for any other name.
// The rule alone, with no call to Windows, so that every platform's suite tests it.
std::string ReservedDeviceName(const std::string& name);
