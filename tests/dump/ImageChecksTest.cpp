// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <random>

#include "dump/ImageChecks.h"
#include "dump/ImageChecksums.h"

namespace {
// An image made of one block of `period` random bytes, repeated.
EepromImage Repeating(std::size_t period) {
  std::mt19937 random(static_cast<unsigned>(period));
  std::vector<std::uint8_t> block(period);
  for (auto& byte : block) byte = static_cast<std::uint8_t>(random());
  EepromImage image{};
  for (std::size_t address = 0; address < image.size(); ++address) image[address] = block[address % period];
  return image;
}

TEST(RepeatPeriod, NamesEverySmallerPartAndNothingElse) {
  for (const std::size_t period : {1024u, 512u, 256u, 128u}) {
    EXPECT_EQ(RepeatPeriod(Repeating(period)), period);
  }
  EXPECT_STREQ(PartOfSize(1024), "25080");
  EXPECT_STREQ(PartOfSize(128), "25010");
  // Patterns no part in the socket explains: they also repeat every 128 bytes.
  for (const std::size_t period : {1u, 2u, 64u, 100u, 2048u}) {
    EXPECT_EQ(RepeatPeriod(Repeating(period)), std::nullopt) << period;
  }
  EepromImage alternating{};
  for (std::size_t address = 0; address < alternating.size(); ++address)
    alternating[address] = address % 2 ? 0xAA : 0x55;
  EXPECT_EQ(RepeatPeriod(alternating), std::nullopt);
}
// The figures crc32 and sha256sum print, for their standard check inputs and an empty one.
TEST(ImageChecksums, MatchTheStandardTools) {
  const auto bytes = [](const char* text) { return reinterpret_cast<const std::uint8_t*>(text); };
  EXPECT_EQ(Crc32(bytes("123456789"), 9), 0xCBF43926u);
  EXPECT_EQ(Sha256Hex(bytes("abc"), 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(bytes(""), 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  const char* twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";  // 56 bytes: padding spills
  EXPECT_EQ(Sha256Hex(bytes(twoBlocks), 56), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // Eight hex digits, a leading zero kept, as crc32 FILE prints them.
  EepromImage sevens{};
  sevens.fill(173);
  EXPECT_EQ(ImageChecksums(sevens).substr(0, 16), "CRC-32 00dcac07,");
}

// Every byte the same, 0xFF (no chip, or an erased one) or 0x00 (no supply), gets a finding.
TEST(ImageFinding, AUniformImageOfEitherLevelIsTold) {
  for (const std::uint8_t level : {0xFF, 0x00}) {
    EepromImage image{};
    image.fill(level);
    EXPECT_EQ(UniformByte(image), level);
    EXPECT_TRUE(ImageFinding(image)) << int{level};
  }
  EXPECT_FALSE(ImageFinding(Repeating(2048)));
  // A smaller part's content, said in plain words.
  EXPECT_NE(ImageFinding(Repeating(256))
                ->find("the file holds the same 256 bytes eight times. The chip is likely a 25020 (256 bytes), "
                       "smaller than a 25160: check the part number printed on it, and keep the image only if that "
                       "is the chip you meant to read. Each copy then begins with the chip's byte 1 and ends with its "
                       "byte 0."),
            std::string::npos)
      << *ImageFinding(Repeating(256));
}
}  // namespace
