// SPDX-License-Identifier: MIT
#include "cli/TerminalProgress.h"

#include <algorithm>
#include <csignal>

#include "cli/Console.h"

namespace {
constexpr auto DrawInterval = std::chrono::milliseconds(100);
volatile std::sig_atomic_t lineOpen = 0;
}  // namespace

bool TerminalProgress::LineOpen() { return lineOpen != 0; }

TerminalProgress::TerminalProgress(std::FILE* terminal, bool enabled, std::string label)
    : terminal_(terminal), enabled_(enabled), label_(std::move(label)) {}

void TerminalProgress::SetMax(int max) {
  max_ = max;
  stepsThisRead_ = 0;
  start_ = std::chrono::steady_clock::now();
}

void TerminalProgress::StepIt() {
  position_ = SteppedPosition(position_, 1, 0, max_);
  ++stepsThisRead_;
  if (stepsThisRead_ == max_) Draw();  // the last byte is always shown
}

void TerminalProgress::Refresh() {
  if (std::chrono::steady_clock::now() - lastDraw_ >= DrawInterval) Draw();
}

void TerminalProgress::Draw() {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  lastDraw_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double done = max_ > 0 ? double(stepsThisRead_) / max_ : 0;
  char text[160];
  int length = std::snprintf(text, sizeof text, "%s %3.0f%%  %-30s", label_.c_str(), done * 100, text_.c_str());
  // Speed and time left only once bytes have been counted.
  if (stepsThisRead_ > 0 && seconds > 0 && length > 0 && length < static_cast<int>(sizeof text)) {
    const double bytesPerSecond = stepsThisRead_ / seconds;
    std::snprintf(text + length, sizeof text - length, "  %5.0f bytes/s  %4.1f s left", bytesPerSecond,
                  (max_ - stepsThisRead_) / bytesPerSecond);
  }
  // One line of the terminal's current width, less the last column (writing there wraps on
  // some terminals): a longer line would wrap, and every redraw would add a line.
  std::string line = text;
  const std::size_t width = static_cast<std::size_t>(std::max(TerminalColumns(terminal_) - 1, 1));
  if (line.size() > width) line.resize(width);
  const std::size_t drawnLength = line.size();
  if (line.size() < lastLength_) line.append(std::min(lastLength_, width) - line.size(), ' ');
  lastLength_ = drawnLength;
  WriteText(terminal_, "\r" + line);
  std::fflush(terminal_);
  drawn_ = true;
  lineOpen = 1;
}

void TerminalProgress::Finish() {
  if (drawn_) WriteText(terminal_, "\n");
  drawn_ = false;
  lastLength_ = 0;
  lineOpen = 0;
}
