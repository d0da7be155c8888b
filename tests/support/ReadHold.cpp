// SPDX-License-Identifier: MIT
#include "tests/support/ReadHold.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "port/AdapterWiring.h"

ReadHold ReadHold::FromEnvironment(const char* variable) {
  const char* name = std::getenv(variable);
  return ReadHold(name != nullptr ? std::filesystem::path(name) : std::filesystem::path());
}

void ReadHold::OnDataWrite(std::uint8_t value) {
  if (holdFile_.empty()) return;
  if ((value & Wiring::CsBit) != 0) {  // deselected: the next select starts another read
    writesWhileSelected_ = 0;
    return;
  }
  if (++writesWhileSelected_ != HeldAtWrite) return;
  std::error_code error;
  if (!std::filesystem::exists(holdFile_, error)) return;
  std::ofstream(holdFile_.string() + "-reached") << "held\n";
  // The test's deadline ends a hold it forgets; this one only polls.
  while (std::filesystem::exists(holdFile_, error)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}
