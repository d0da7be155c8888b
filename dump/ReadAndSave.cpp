// SPDX-License-Identifier: MIT
#include "dump/ReadAndSave.h"

#include "bus/BusStartUp.h"
#include "bus/Port95.h"
#include "display/TSaveQuestion.h"
#include "dump/DumpBuffer.h"
#include "dump/ImageChecks.h"
#include "dump/ReadEeprom.h"
#include "dump/SaveDump.h"
#include "runtime/EInOutError.h"

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
                 const std::function<void()>& whenTheReadEnds,
                 const std::function<void(const std::string& why)>& saveFailed) {
  {
    const WhenTheReadEnds readEnded{whenTheReadEnds};
    ReadEeprom(progressBar, statusBar);
  }
  if (const auto finding = ImageFinding(DumpBuffer); finding && !question.SaveAnyway(*finding)) return;
  for (;;) {
    try {
      SaveDump(saveDialog, statusBar);
      return;
    } catch (const EInOutError& error) {
      if (error.OsError() == 0) throw;  // a short write: "ERROR" and what the disk took
      saveFailed(std::string(error.what()) +
                 " The image read is kept: the save dialog opens again, so that you can save it under another "
                 "name or in another folder (Cancel drops it).");
    }
  }
}
