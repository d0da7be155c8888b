#include <gtest/gtest.h>

#include <random>

#include "dump/ImageChecks.h"

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
}  // namespace
