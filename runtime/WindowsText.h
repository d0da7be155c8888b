// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// Text at the Win32 boundary: the programs speak UTF-8, Windows UTF-16.
std::wstring WideText(const std::string& utf8);
std::string Utf8Text(const std::wstring& wide);

// The system's own description of a Win32 error code, e.g. "The system cannot find the path
// specified." (without the line break Windows ends it with).
std::string WindowsErrorText(unsigned long error);
