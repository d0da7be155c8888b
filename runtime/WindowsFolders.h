#pragma once
#include <string>

// Folders of Windows itself, each with a trailing backslash ("" when Windows does not say).
std::wstring ProgramFolder();  // the one the running program's .exe lies in
std::wstring SystemFolder();   // GetSystemDirectory's (for a 32-bit program on 64-bit Windows, SysWOW64 in fact)
