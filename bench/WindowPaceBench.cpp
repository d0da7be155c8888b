// The window's pace on whatever platform Qt runs on: the real window's progress bar and status
// bar driven by a read of the emulated chip through the real delay.
//
// Every DataPort write is time-stamped. A data byte is 16 line changes; the interval after its
// last 0xF0 holds the delay and the per-byte display update, the intervals after its seven other
// 0xF0 writes the delay alone. Per byte, excess = last interval - mean of the seven plain ones,
// so the processor's drift cancels out byte by byte.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <numeric>
#include <vector>

#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "dump/ReadEeprom.h"
#include "emu/EmulatedAdapter.h"
#include "emu/ImageFile.h"
#include "ui/qt/LPT_Tool.h"
#include "ui/qt/QtProgressBar.h"
#include "ui/qt/QtStatusBar.h"

namespace {
using Clock = std::chrono::steady_clock;

class TimeStampedPort : public PortBackend {
 public:
  explicit TimeStampedPort(PortBackend& inner) : inner_(inner) {}
  std::uint8_t ReadPortByte(std::uint16_t port) override { return inner_.ReadPortByte(port); }
  void WritePortByte(std::uint16_t port, std::uint8_t value) override {
    inner_.WritePortByte(port, value);
    if (port == DataPort) writes.push_back({Clock::now(), value});
  }
  struct Write {
    Clock::time_point at;
    std::uint8_t value;
  };
  std::vector<Write> writes;

 private:
  PortBackend& inner_;
};

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

struct ReadPace {
  double displayMicros;  // median excess of a byte's last interval
  double byteShare;      // that, as a share of a byte's 16 bus intervals
  double readRatio;      // read time / (read time - all excess)
  double meanMicros;     // mean excess: the median plus the tail
};

// The data bytes' writes start after select (1), instruction (2x6 + 1 + 2x2 + 1) and address (2x16).
constexpr std::size_t FirstDataWrite = 1 + 12 + 1 + 4 + 1 + 32;
constexpr std::size_t WritesPerByte = 16;

ReadPace Analyse(const std::vector<TimeStampedPort::Write>& writes) {
  std::vector<double> excess;
  double byteMicros = 0;
  for (std::size_t byte = 0; byte < EepromSize; ++byte) {
    const std::size_t first = FirstDataWrite + byte * WritesPerByte;
    double plain = 0;
    // Writes first+1, first+3, ... are the 0xF0s; each is followed by the next 0xF2 (or 0xF1).
    for (std::size_t bit = 0; bit < 7; ++bit) {
      const std::size_t f0 = first + 2 * bit + 1;
      plain += Micros(writes[f0 + 1].at - writes[f0].at);
    }
    plain /= 7;
    const std::size_t last = first + WritesPerByte - 1;
    excess.push_back(Micros(writes[last + 1].at - writes[last].at) - plain);
    byteMicros += 2 * 8 * plain;
  }
  byteMicros /= EepromSize;
  const double readMicros = Micros(writes.back().at - writes.front().at);
  const double allExcess = std::accumulate(excess.begin(), excess.end(), 0.0);
  const double median = Median(excess);
  return {median, median / byteMicros, readMicros / (readMicros - allExcess), allExcess / EepromSize};
}

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
    const ReadPace pace = Analyse(port.writes);
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
