// SPDX-License-Identifier: MIT
// The window's pace on whatever platform Qt runs on: the real window's progress bar and status
// bar driven by a read of the emulated chip through the real delay, measured from the bus
// (bench/ReadPace.h).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWindow>
#include <chrono>
#include <vector>

#include "bench/ReadPace.h"
#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "dump/ImageFile.h"
#include "dump/ReadEeprom.h"
#include "emu/EmulatedAdapter.h"
#include "ui/qt/LPT_Tool.h"
#include "ui/qt/QtProgressBar.h"
#include "ui/qt/QtStatusBar.h"

namespace {
using Clock = std::chrono::steady_clock;

double Micros(Clock::time_point at) { return std::chrono::duration<double, std::micro>(at.time_since_epoch()).count(); }

class TimeStampedPort : public PortBackend {
 public:
  explicit TimeStampedPort(PortBackend& inner) : inner_(inner) {}
  std::uint8_t ReadPortByte(std::uint16_t port) override { return inner_.ReadPortByte(port); }
  void WritePortByte(std::uint16_t port, std::uint8_t value) override {
    inner_.WritePortByte(port, value);
    if (port == DataPort) writes.push_back({Micros(Clock::now()), value});
  }
  std::vector<TimedWrite> writes;

 private:
  PortBackend& inner_;
};

void BM_WindowReadPace(benchmark::State& state) {
  EmulatedAdapter adapter(AddressPatternImage());
  TimeStampedPort port(adapter);
  PortBackend* previous = InstallPortBackend(&port);
  TForm1 window;
  window.FormCreate();
  window.show();
  while (!window.windowHandle()->isExposed()) QApplication::processEvents();
  QApplication::processEvents();

  std::vector<double> display;
  std::vector<double> share;
  std::vector<double> ratio;
  std::vector<double> mean;
  for (auto _ : state) {
    port.writes.clear();
    ReadEeprom(*window.ProgressBar1, *window.StatusBar1);
    const ReadPace pace = AnalyseReadPace(port.writes);
    display.push_back(pace.displayMicros);
    share.push_back(pace.byteShare);
    ratio.push_back(pace.readRatio);
    mean.push_back(pace.meanMicros);
    QApplication::processEvents();  // between reads, as the save dialog would
  }
  state.counters["display_us"] = Median(display);
  state.counters["byte_share"] = Median(share);
  state.counters["read_ratio"] = Median(ratio);
  state.counters["mean_display_us"] = Median(mean);
  InstallPortBackend(previous);
}
BENCHMARK(BM_WindowReadPace)->Unit(benchmark::kMillisecond)->Iterations(3);
}  // namespace
