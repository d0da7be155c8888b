// SPDX-License-Identifier: MIT
#pragma once
#include <filesystem>
#include <random>
#include <string>

// A new, empty folder in the temporary folder that no other test or run of the suite shares:
// create_directory fails on a name that exists, so a name is never taken twice.
inline std::filesystem::path NewScratchFolder(const std::string& prefix) {
  std::random_device entropy;
  for (;;) {
    const auto folder = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(entropy()));
    if (std::filesystem::create_directory(folder)) return folder;
  }
}
