// SPDX-License-Identifier: MIT
// lpt-dump for the tests of what the reads say, not of their pace: every bus delay is counted
// instead of spun, so a read costs milliseconds of processor time, not a second, however busy the
// machine is. The shipped lpt-dump always spins (bench/ measures its pace).
#include "bus/BusDelay.h"
#include "cli/LptDump.h"

namespace {
class CountingDelay : public BusDelayHook {
 public:
  void OnBusDelay() override { ++delays_; }

 private:
  unsigned long delays_ = 0;
};
}  // namespace

int main(int argc, char** argv) {
  static CountingDelay delay;
  InstallBusDelayHook(&delay);
  return LptDumpMain(argc, argv);
}
