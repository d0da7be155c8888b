// SPDX-License-Identifier: MIT
// The names Windows keeps for its devices, as both programs refuse them; tested on every platform.
#include <gtest/gtest.h>

#include "runtime/ReservedDeviceNames.h"

namespace {
TEST(ReservedDeviceNames, FindsEveryDeviceNameInAnyFolderCaseAndExtension) {
  const std::pair<const char*, const char*> devices[] = {{"NUL", "NUL"},
                                                         {"nul.bin", "NUL"},
                                                         {"C:\\x\\com1 .txt", "COM1"},
                                                         {"sub/lpt9", "LPT9"},
                                                         {"aux.", "AUX"},
                                                         {"conin$", "CONIN$"},
                                                         {"CONOUT$", "CONOUT$"},
                                                         {"prn.dump.bin", "PRN"},
                                                         {"COM\xC2\xB9", "COM\xC2\xB9"},
                                                         {"lpt\xC2\xB3.txt", "LPT\xC2\xB3"},
                                                         {"D:con", "CON"}};
  for (const auto& [name, device] : devices) EXPECT_EQ(ReservedDeviceName(name), device) << name;
  for (const char* file : {"dump.bin", "COM0", "LPT10", "console.bin", "nul-dump.bin", "COM\xC2\xB4", "lpt", ""}) {
    EXPECT_EQ(ReservedDeviceName(file), "") << file;
  }
}
}  // namespace
