#pragma once
#include <functional>

// What a window does once a read has ended, whether it finished or failed: hand the port back
// and deal with the input that waited while the read handled none. Runs when the scope ends.
struct WhenTheReadEnds {
  std::function<void()> action;
  ~WhenTheReadEnds() { action(); }
};
