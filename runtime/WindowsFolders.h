// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <vector>

// Folders of Windows itself, each with a trailing backslash ("" when Windows does not say).
std::wstring ProgramFolder();  // the one the running program's .exe lies in
std::wstring SystemFolder();   // GetSystemDirectory's (for a 32-bit program on 64-bit Windows, SysWOW64 in fact)
// Where the program loads a DLL of its own (InpOut's) from, in order: the program's folder, the
// system folder, then the absolute folders of PATH. Never the current folder: a planted DLL there
// (Downloads, a USB stick) would run inside the program.
std::vector<std::wstring> DllSearchFolders();
