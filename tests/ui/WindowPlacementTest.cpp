// SPDX-License-Identifier: MIT
// Where the window opens: its stored position where it fits, moved onto the screen where not.
#include <gtest/gtest.h>

#include "ui/toolkit/WindowPlacement.h"

namespace {
std::pair<int, int> Corner(const ScreenArea& placed) { return {placed.left, placed.top}; }

TEST(WindowPlacement, KeepsTheStoredPositionWhereItFitsAndMovesTheWindowOntoTheScreenWhereNot) {
  const ScreenArea stored{227, 151, 401, 103};
  EXPECT_EQ(Corner(PlaceOnScreen(stored, {0, 0, 1024, 768})), std::make_pair(227, 151));
  EXPECT_EQ(Corner(PlaceOnScreen(stored, {0, 0, 512, 384})), std::make_pair(111, 151)) << "1024x768 at scale 2";
  EXPECT_EQ(Corner(PlaceOnScreen(stored, {0, 0, 320, 240})), std::make_pair(0, 137)) << "narrower than the window";
  EXPECT_EQ(Corner(PlaceOnScreen(stored, {300, 200, 1000, 700})), std::make_pair(300, 200)) << "a task bar left, top";
}
}  // namespace
