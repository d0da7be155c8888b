// SPDX-License-Identifier: MIT
// The pace of reads recorded outside this process: the Win32 window under Wine, whose stand-in
// InpOut DLL time-stamps each data register write, and the Linux window on the ppdev stand-in.
// Reads "MICROS VALUE" lines, one read after another, each from select to deselect, and prints
// each read's figures, then the median over the reads and the slowest read's ratio.
//   lpt_pace_from_trace TRACE-FILE [PAINTS-FILE | --frames FRAMES-FILE]
// A paints file ("PROGRESS STATUS" lines, one a read; the Win32 window) adds the bars' paints per
// read beside the display frames (60 Hz) the read lasted: a bar painted at the display's pace
// paints once a frame at most. A frames file ("START END paint|flush" lines, microseconds on the
// trace's clock; the Linux window) adds, per read, the widgets' paints and the frames flushed to
// the display server, with the mean time each took.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "bench/ReadPace.h"

namespace {
struct TimedCall {
  double start;
  double end;
  std::string what;
};

std::vector<std::vector<TimedWrite>> WholeReads(const char* name) {
  std::ifstream trace(name);
  std::vector<std::vector<TimedWrite>> reads;
  std::vector<TimedWrite> read;
  double micros = 0;
  unsigned value = 0;
  while (trace >> micros >> value) {
    read.push_back({micros, static_cast<std::uint8_t>(value)});
    if (value == 0xF1) {  // the chip deselected: a whole read has 32,819 writes
      if (read.size() > 30000) reads.push_back(read);
      read.clear();
    }
  }
  return reads;
}

// The paints and flushes inside one read, and the share of the read they took.
void PrintFrames(const std::vector<TimedCall>& calls, const std::vector<TimedWrite>& read) {
  const double from = read.front().micros, to = read.back().micros;
  std::map<std::string, std::pair<unsigned, double>> byWhat;  // count, microseconds
  double all = 0;
  for (const TimedCall& call : calls) {
    if (call.start < from || call.start > to) continue;
    auto& [count, micros] = byWhat[call.what];
    ++count;
    micros += call.end - call.start;
    all += call.end - call.start;
  }
  std::printf(" ");
  for (const auto& [what, figures] : byWhat)
    std::printf(" %s=%u x %.0f us", what.c_str(), figures.first, figures.second / figures.first);
  std::printf(" (%.2f%% of the read)\n", 100 * all / (to - from));
}
}  // namespace

int main(int argc, char** argv) {
  const bool frames = argc == 4 && std::string(argv[2]) == "--frames";
  if (argc != 2 && argc != 3 && !frames) {
    std::cerr << "usage: lpt_pace_from_trace TRACE-FILE [PAINTS-FILE | --frames FRAMES-FILE]\n";
    return 2;
  }
  const std::vector<std::vector<TimedWrite>> reads = WholeReads(argv[1]);
  if (reads.empty()) {
    std::cerr << "lpt_pace_from_trace: no whole read in " << argv[1] << "\n";
    return 1;
  }
  std::vector<TimedCall> calls;
  if (frames) {
    std::ifstream file(argv[3]);
    for (TimedCall call; file >> call.start >> call.end >> call.what;) calls.push_back(call);
  }
  std::vector<double> display, share, ratio, mean, displayFrames;
  for (const auto& one : reads) {
    const ReadPace pace = AnalyseReadPace(one);
    std::printf("read %zu: display_us=%.1f mean_display_us=%.1f read_ratio=%.3f\n", ratio.size() + 1,
                pace.displayMicros, pace.meanMicros, pace.readRatio);
    if (frames) PrintFrames(calls, one);
    display.push_back(pace.displayMicros);
    share.push_back(pace.byteShare);
    ratio.push_back(pace.readRatio);
    mean.push_back(pace.meanMicros);
    displayFrames.push_back((one.back().micros - one.front().micros) / (1e6 / 60));
  }
  std::printf("reads=%zu display_us=%.1f byte_share=%.2f%% mean_display_us=%.1f read_ratio=%.3f slowest=%.3f\n",
              reads.size(), Median(display), 100 * Median(share), Median(mean), Median(ratio),
              *std::max_element(ratio.begin(), ratio.end()));
  if (argc == 3) {
    std::ifstream paintsFile(argv[2]);
    std::vector<double> progress, status;
    double progressPaints = 0, statusPaints = 0;
    while (paintsFile >> progressPaints >> statusPaints) {
      progress.push_back(progressPaints);
      status.push_back(statusPaints);
    }
    if (progress.empty()) {
      std::cerr << "lpt_pace_from_trace: no paints in " << argv[2] << "\n";
      return 1;
    }
    std::printf("paints_per_read progress=%.0f status=%.0f display_frames=%.0f\n", Median(progress), Median(status),
                Median(displayFrames));
  }
  return 0;
}
