// SPDX-License-Identifier: MIT
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "dump/ImageFile.h"
#include "runtime/FileSystemCalls.h"
#include "runtime/NotAFile.h"
#include "runtime/QuotedName.h"

namespace {
// The name as the user gave it, in UTF-8, on every platform.
std::filesystem::path Utf8Path(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}
}  // namespace

EepromImage LoadEepromImage(const std::string& path) {
  const auto failure = [&](const std::string& what) {
    return std::runtime_error("Cannot " + what + " the image file " + QuotedName(path) + ": " + std::strerror(errno) +
                              ".");
  };
  // A named pipe or a device would be waited on, or read without end: only a file will do.
  if (const std::string device = DeviceRefusal(path); !device.empty()) {
    // What the save says of a port ("never written to") is beside the point for a file to read.
    const std::string what = IsParallelPortFile(path) ? "it is a parallel port, not an image" : device;
    throw std::runtime_error("The image " + QuotedName(path) + " is no file: " + what +
                             ". Give a 2048-byte image file.");
  }
  std::error_code error;
  const auto type = std::filesystem::status(Utf8Path(path), error).type();
  if (!error && type != std::filesystem::file_type::regular) {
    throw std::runtime_error("The image " + QuotedName(path) + " is " +
                             (type == std::filesystem::file_type::directory ? "a folder" : "not a plain file") +
                             "; give a 2048-byte image file.");
  }
  std::ifstream file(Utf8Path(path), std::ios::binary);
  if (!file) throw std::runtime_error("Cannot open the image file " + QuotedName(path) + ": " + ReadOpenFailure());
  // One byte more than an image, to tell a longer file from an exact one.
  std::array<char, EepromSize + 1> bytes{};
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (file.bad()) throw failure("read");
  const auto got = static_cast<std::size_t>(file.gcount());
  if (got != EepromSize) {
    throw std::runtime_error("The image file " + QuotedName(path) + " is " +
                             (got > EepromSize ? "longer than" : std::to_string(got) + " bytes, not") +
                             " 2048 bytes; a 25160 image must be exactly 2048 bytes.");
  }
  EepromImage image{};
  std::memcpy(image.data(), bytes.data(), EepromSize);
  return image;
}

EepromImage AddressPatternImage() {
  EepromImage image{};
  for (std::size_t address = 0; address < image.size(); ++address) {
    image[address] = static_cast<std::uint8_t>(address & 0xFF);
  }
  return image;
}

EepromImage DemoEepromImage() {
  EepromImage image = AddressPatternImage();
  static constexpr char Banner[] = "LPT_Tool demo: emulated 25160, 2048 bytes. ";
  std::memcpy(image.data(), Banner, sizeof Banner - 1);
  return image;
}
