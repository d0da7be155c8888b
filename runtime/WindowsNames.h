// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// What a Windows file name may reach besides a file.

// The device that a name reaches instead of a file ("NUL", "COM1", "LPT1", "CONOUT$", ...), or
// "": the reserved names in any folder, with any extension, trailing dots or spaces, the \\.\ and
// \\?\ names that reach no folder (\\?\NUL, \\.\COM1, \\.\C:), and whatever else Windows
// resolves to a device.
std::string WindowsDeviceName(const std::string& name);

// Whether the name has a colon after its drive ("dump.bin:stream"): the image would go into a
// hidden stream of another file.
bool NamesAlternateStream(const std::string& name);
