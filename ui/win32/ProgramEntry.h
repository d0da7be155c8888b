// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// Starts the common controls, creates the main window (with another caption when one is given)
// and runs it until it is closed, on whatever port backend the caller installed.
int RunMainWindow(const std::wstring& caption = L"");
