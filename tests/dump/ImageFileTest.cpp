// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "dump/ImageFile.h"
#include "tests/support/ScratchFolder.h"

namespace {
class ImageFile : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string WriteFileOf(std::size_t size) const;
  const std::filesystem::path folder = NewScratchFolder("lpt-image");
};

std::string ImageFile::WriteFileOf(std::size_t size) const {
  const auto path = folder / ("image-" + std::to_string(size) + ".bin");
  std::ofstream file(path, std::ios::binary);
  for (std::size_t i = 0; i < size; ++i) file.put(static_cast<char>(i * 7));
  return path.string();
}

std::string RefusalOf(const std::string& path) {
  try {
    LoadEepromImage(path);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "";
}

TEST_F(ImageFile, LoadsExactly2048Bytes) {
  const std::string path = WriteFileOf(2048);
  const EepromImage image = LoadEepromImage(path);
  EXPECT_EQ(image[0], 0);
  EXPECT_EQ(image[2047], static_cast<std::uint8_t>(2047 * 7));
}

TEST_F(ImageFile, RefusesEveryOtherSizeAndMissingFilesByName) {
  for (std::size_t size : {0u, 2047u, 2049u, 4096u}) {
    const std::string path = WriteFileOf(size);
    const std::string refusal = RefusalOf(path);
    EXPECT_NE(refusal.find(path), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("exactly 2048 bytes"), std::string::npos) << refusal;
  }
  EXPECT_NE(RefusalOf("no/such/image.bin").find("No such file or directory"), std::string::npos);
}
}  // namespace
