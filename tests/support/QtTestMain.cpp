// SPDX-License-Identifier: MIT
// Test entry for suites that need widgets. The platform (offscreen) comes from the test's
// environment; listing the tests needs no toolkit at all.
#include <gtest/gtest.h>
#include <QApplication>

#include "ui/qt/ProgramEntry.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  SendWindowImagesAsData();  // as the programs do
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
