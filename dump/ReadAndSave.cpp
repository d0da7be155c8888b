#include "dump/ReadAndSave.h"

#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "dump/ReadEeprom.h"
#include "dump/SaveDump.h"

namespace {
struct WhenTheReadEnds {
  const std::function<void()>& action;
  ~WhenTheReadEnds() {
    ReleasePort();
    action();
  }
};
}  // namespace

void PutBusIdleAndReleasePort() {
  PutBusIdle();
  ReleasePort();  // other programs may use the port while the window waits
}

void ReadAndSave(TProgressBar& progressBar, TStatusBar& statusBar, TSaveDialog& saveDialog,
                 const std::function<void()>& whenTheReadEnds) {
  {
    const WhenTheReadEnds readEnded{whenTheReadEnds};
    ReadEeprom(progressBar, statusBar);
  }
  SaveDump(saveDialog, statusBar);
}
