// SPDX-License-Identifier: MIT
// Benchmarks of the bus delay and of a whole read. The Qt displays are measured on the
// offscreen platform unless a platform is set.
#include <benchmark/benchmark.h>
#include <QApplication>

#include "ui/qt/ProgramEntry.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  SendWindowImagesAsData();  // as the programs do
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
