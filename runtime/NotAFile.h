// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// Names that reach a device rather than a file, which an image is never read from (lpt-dump
// --compare). Where an image may be saved is decided by the save itself, on the opened file
// (OpenWhereTheImageGoes in UntypedFilePosix.cpp and UntypedFileWindows.cpp).

// A parallel port device (Linux: ppdev's /dev/parportN, the printer driver's /dev/lpN; Windows:
// LPT1..LPT9, PRN): a file the image must never be written to, since its bytes would drive the
// adapter's lines.
bool IsParallelPortFile(const std::string& name);
// Why the image must not be written under this name, "" for a file: a parallel port on both
// platforms; on Windows also any other device the name reaches (NUL, CON, CONOUT$, COM1, a
// device path, "nul.bin", "C:\\x\\com1 .txt"), as Windows itself resolves it.
std::string DeviceRefusal(const std::string& name);
