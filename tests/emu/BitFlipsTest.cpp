// SPDX-License-Identifier: MIT
// The emulated chip's flips as --emulate-flips gives them: every narrowing once, in range.
#include <gtest/gtest.h>

#include "emu/BitFlips.h"

namespace {
TEST(BitFlips, TakesEachNarrowingAsWritten) {
  const auto flips = ParseBitFlips("0.25,bit=3,bit=6,1to0,reads=2-,addresses=256-511");
  ASSERT_TRUE(flips);
  EXPECT_EQ(flips->share, 0.25);
  EXPECT_EQ(flips->bits, 0x48);
  EXPECT_EQ(flips->direction, BitFlips::Direction::OneToZero);
  EXPECT_EQ(flips->firstRead, 2);
  EXPECT_EQ(flips->lastRead, 0) << "no end";
  EXPECT_TRUE(flips->AppliesTo(7, 300));
  EXPECT_FALSE(flips->AppliesTo(1, 300));
  EXPECT_FALSE(flips->AppliesTo(2, 512));
  EXPECT_EQ(ParseBitFlips("0.01,reads=1-1")->lastRead, 1);
}

TEST(BitFlips, RefusesWhatItWouldOtherwiseWrapIgnoreOrReplace) {
  for (const char* bad :
       {"1.5", "-0.1", "nan", "", "0.1,bit=8", "0.1,reads=4294967298-", "0.1,reads=1-0", "0.1,reads=2-1",
        "0.1,reads=0-", "0.1,reads=1-,reads=2-", "0.1,0to1,1to0", "0.1,addresses=10-", "0.1,addresses=0-2048",
        "0.1,addresses=1-2,addresses=3-4", "0.1,reads=+1-", "0.1,bit= 3", "0.1,frobnicate"}) {
    EXPECT_FALSE(ParseBitFlips(bad)) << bad;
  }
}
}  // namespace
