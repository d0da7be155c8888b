#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "emu/EepromImage.h"

EepromImage LoadEepromImage(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw std::runtime_error("Cannot open the image file \"" + path + "\": " + std::strerror(errno) + ".");
  }
  EepromImage image{};
  file.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
  const std::streamsize got = file.gcount();
  const bool longer = got == static_cast<std::streamsize>(image.size()) && file.peek() != EOF;
  if (file.bad()) {
    throw std::runtime_error("Cannot read the image file \"" + path + "\": " + std::strerror(errno) + ".");
  }
  if (got != static_cast<std::streamsize>(image.size()) || longer) {
    throw std::runtime_error("The image file \"" + path + "\" is " +
                             (longer ? "longer than" : std::to_string(got) + " bytes, not") +
                             " 2048 bytes; a 25160 image must be exactly 2048 bytes.");
  }
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
