// SPDX-License-Identifier: MIT
#include "dump/ReadAndSave.h"

#include "bus/BusStartUp.h"
#include "bus/Port95.h"
#include "display/TSaveQuestion.h"
#include "dump/DumpBuffer.h"
#include "dump/ImageChecks.h"
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

void WindowStartUp() {
  BusStartUp();
  ReleasePort();  // other programs may use the port while the window waits
}

void ReadAndSave(TProgressBar& progressBar, TStatusBar& statusBar, TSaveDialog& saveDialog, TSaveQuestion& question,
                 const std::function<void()>& whenTheReadEnds) {
  {
    const WhenTheReadEnds readEnded{whenTheReadEnds};
    ReadEeprom(progressBar, statusBar);
  }
  if (const auto finding = ImageFinding(DumpBuffer); finding && !question.SaveAnyway(*finding)) return;
  SaveDump(saveDialog, statusBar);
}
