// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <QWindow>
#include <chrono>

#include "bus/BusDelay.h"
#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "dump/DumpBuffer.h"
#include "dump/ImageFile.h"
#include "dump/ReadEeprom.h"
#include "dump/ReadsAgreement.h"
#include "emu/EmulatedAdapter.h"
#include "runtime/IntToStr.h"
#include "ui/qt/QtProgressBar.h"
#include "ui/qt/QtStatusBar.h"

namespace {
constexpr int DelaysPerRead = 32819;

class NoProgressBar : public TProgressBar {
 public:
  int Min() const override { return 0; }
  int Max() const override { return 2048; }
  void SetMax(int) override {}
  int Step() const override { return 1; }
  int Position() const override { return 0; }
  void StepIt() override {}
};

class NoStatusBar : public TStatusBar {
 public:
  void SetPanelText(const std::string& text) override { benchmark::DoNotOptimize(text.data()); }
  std::string PanelText() const override { return {}; }
  void Refresh() override {}
};

// The time of a read's 32,819 waits alone, measured right before the read, so that both see
// the same processor clock.
double SecondsOfDelaysPerRead() {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < DelaysPerRead; ++i) SpinBusDelay();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads the emulated chip through the real delay and reports the read time as a multiple of
// its delays alone: the overhead of everything else the read does.
void MeasureRead(benchmark::State& state, TProgressBar& progress, TStatusBar& status) {
  EmulatedAdapter adapter(AddressPatternImage());
  PortBackend* previous = InstallPortBackend(&adapter);
  SetIdleLineFlags();
  double readSeconds = 0;
  double delaySeconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    delaySeconds += SecondsOfDelaysPerRead();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    ReadEeprom(progress, status);
    readSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["ratio_to_delays"] = readSeconds / delaySeconds;
  InstallPortBackend(previous);
}

void BM_ReadWithoutDisplays(benchmark::State& state) {
  NoProgressBar progress;
  NoStatusBar status;
  MeasureRead(state, progress, status);
}
BENCHMARK(BM_ReadWithoutDisplays)->Unit(benchmark::kMillisecond)->Iterations(4);

// lpt-dump --reads 5: five reads, each kept, then compared. `ratio_to_five_reads` is the whole
// against the five reads' own time, so the VM's drifting clock (see below) does not enter it:
// what keeping and comparing the reads adds to the bus pace.
void BM_FiveReadsKeptAndCompared(benchmark::State& state) {
  EmulatedAdapter adapter(AddressPatternImage());
  PortBackend* previous = InstallPortBackend(&adapter);
  SetIdleLineFlags();
  NoProgressBar progress;
  NoStatusBar status;
  const auto seconds = [](auto work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  double readsAlone = 0;
  double whole = 0;
  for (auto _ : state) {
    whole += seconds([&] {
      RepeatedReads reads;
      for (int read = 0; read < 5; ++read) {
        readsAlone += seconds([&] { ReadEeprom(progress, status); });
        reads.Add(DumpBuffer);
      }
      benchmark::DoNotOptimize(CompareReads(reads));
    });
  }
  state.counters["ratio_to_five_reads"] = whole / readsAlone;
  InstallPortBackend(previous);
}
BENCHMARK(BM_FiveReadsKeptAndCompared)->Unit(benchmark::kMillisecond)->Iterations(2);

// Repaints reach the screen only once the platform has exposed the window.
void ShowExposed(QWidget& window) {
  window.show();
  while (!window.windowHandle()->isExposed()) QApplication::processEvents();
}

// The window's two displays, shown on the offscreen platform.
struct QtDisplays {
  QtDisplays() : progress(new QtProgressBar(&window)), status(new QtStatusBar(&window)) {
    window.resize(393, 72);
    progress->setGeometry(0, 40, 393, 8);
    status->setGeometry(0, 53, 393, 19);
    ShowExposed(window);
  }
  QWidget window;
  QtProgressBar* progress;
  QtStatusBar* status;
};

void BM_ReadWithQtDisplays(benchmark::State& state) {
  QtDisplays displays;
  MeasureRead(state, *displays.progress, *displays.status);
}
BENCHMARK(BM_ReadWithQtDisplays)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_DisplayUpdatePerByte(benchmark::State& state) {
  QtDisplays displays;
  displays.progress->SetMax(2048);
  int address = 0;
  for (auto _ : state) {
    displays.status->SetPanelText("Address : " + IntToStr(address) + ", Content : " + IntToStr(address & 0xFF));
    displays.status->Refresh();
    displays.progress->StepIt();
    address = (address + 1) & 2047;
  }
}
BENCHMARK(BM_DisplayUpdatePerByte)->Unit(benchmark::kMicrosecond);

void BM_StatusTextAndRepaint(benchmark::State& state) {
  QtDisplays displays;
  int address = 0;
  for (auto _ : state) {
    displays.status->SetPanelText("Address : " + IntToStr(address) + ", Content : " + IntToStr(address & 0xFF));
    displays.status->Refresh();
    address = (address + 1) & 2047;
  }
}
BENCHMARK(BM_StatusTextAndRepaint)->Unit(benchmark::kMicrosecond);

// For comparison: the plain way, a QLabel in a QStatusBar, repainting the bar.
void BM_DisplayUpdatePerByteWithQLabel(benchmark::State& state) {
  QWidget window;
  window.resize(393, 72);
  auto* bar = new QStatusBar(&window);
  bar->setGeometry(0, 53, 393, 19);
  auto* label = new QLabel(bar);
  bar->addWidget(label, 1);
  ShowExposed(window);
  int address = 0;
  for (auto _ : state) {
    label->setText(
        QString::fromStdString("Address : " + IntToStr(address) + ", Content : " + IntToStr(address & 0xFF)));
    bar->repaint();
    address = (address + 1) & 2047;
  }
}
BENCHMARK(BM_DisplayUpdatePerByteWithQLabel)->Unit(benchmark::kMicrosecond);
}  // namespace
