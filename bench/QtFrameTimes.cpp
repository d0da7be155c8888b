// SPDX-License-Identifier: MIT
// Preloaded into the Linux window program by bench/window-pace: times each widget's paint into
// the window's backing store (beginPaint to endPaint) and each frame's flush to the display server
// (QBackingStore::flush), and appends one "START-MICROS END-MICROS paint|flush" line for each to
// the file LPT_FRAME_TIMES names (the clock of the ppdev stand-in's bus trace). The program's
// own calls reach these through the dynamic linker, which finds the preloaded ones first.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <QBackingStore>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {
double NowMicros() {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Record(double start, const char* what) {
  static const int file = [] {
    const char* name = std::getenv("LPT_FRAME_TIMES");
    return name != nullptr ? open(name, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
  }();
  if (file < 0) return;
  char line[96];
  const int length = std::snprintf(line, sizeof line, "%.3f %.3f %s\n", start, NowMicros(), what);
  if (length > 0) (void)!write(file, line, static_cast<std::size_t>(length));
}

template <class Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
}  // namespace

// A paint: from the backing store's beginPaint to its endPaint, as the window's frames paint each
// widget that changed.
namespace {
double paintStart = 0;
}

void QBackingStore::beginPaint(const QRegion& region) {
  using BeginPaint = void (*)(QBackingStore*, const QRegion&);
  static const auto next = Next<BeginPaint>("_ZN13QBackingStore10beginPaintERK7QRegion");
  paintStart = NowMicros();
  next(this, region);
}

void QBackingStore::endPaint() {
  using EndPaint = void (*)(QBackingStore*);
  static const auto next = Next<EndPaint>("_ZN13QBackingStore8endPaintEv");
  next(this);
  Record(paintStart, "paint");
}

void QBackingStore::flush(const QRegion& region, QWindow* window, const QPoint& offset) {
  using Flush = void (*)(QBackingStore*, const QRegion&, QWindow*, const QPoint&);
  static const auto next = Next<Flush>("_ZN13QBackingStore5flushERK7QRegionP7QWindowRK6QPoint");
  const double start = NowMicros();
  next(this, region, window, offset);
  Record(start, "flush");
}
