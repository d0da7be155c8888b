// SPDX-License-Identifier: MIT
#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The whole content of a file, "" when it cannot be read.
inline std::string FileContents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}
