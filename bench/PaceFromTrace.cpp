// The pace of reads recorded outside this process (the Win32 window under Wine, whose stand-in
// InpOut DLL time-stamps each data register write): reads "MICROS VALUE" lines, one read after
// another, each from select to deselect, and prints the median figures over the reads. With a
// paints file ("PROGRESS STATUS" lines, one a read), also the bars' paints per read beside the
// display frames (60 Hz) the read lasted: a bar painted at the display's pace paints once a frame
// at most.
//   lpt_pace_from_trace TRACE-FILE [PAINTS-FILE]
#include <cstdio>
#include <fstream>
#include <iostream>
#include <vector>

#include "bench/ReadPace.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: lpt_pace_from_trace TRACE-FILE [PAINTS-FILE]\n";
    return 2;
  }
  std::ifstream trace(argv[1]);
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
  if (reads.empty()) {
    std::cerr << "lpt_pace_from_trace: no whole read in " << argv[1] << "\n";
    return 1;
  }
  std::vector<double> display, share, ratio, mean, frames;
  for (const auto& one : reads) {
    const ReadPace pace = AnalyseReadPace(one);
    display.push_back(pace.displayMicros);
    share.push_back(pace.byteShare);
    ratio.push_back(pace.readRatio);
    mean.push_back(pace.meanMicros);
    frames.push_back((one.back().micros - one.front().micros) / (1e6 / 60));
  }
  std::printf("reads=%zu display_us=%.1f byte_share=%.2f%% mean_display_us=%.1f read_ratio=%.3f\n", reads.size(),
              Median(display), 100 * Median(share), Median(mean), Median(ratio));
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
                Median(frames));
  }
  return 0;
}
