// SPDX-License-Identifier: MIT
#pragma once
#include <windows.h>

// The window's DPI on every Windows from 7 on. The per-monitor calls (Windows 10 1607 and later)
// are looked up at run time and used where they exist; elsewhere the system DPI serves, which
// the process takes as its own (SetProcessDPIAware) so Windows does not stretch the window.

// Called once at start-up, before the first window.
void PrepareDpiAwareness();
unsigned DpiOfWindow(HWND window);
// AdjustWindowRectEx at that DPI.
void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD extendedStyle, unsigned dpi);
