#include "dump/SaveDump.h"

#include "dump/DumpBuffer.h"
#include "runtime/ProcessEnd.h"
#include "runtime/UntypedFile.h"
#include "ui/toolkit/TSaveDialog.h"
#include "ui/toolkit/TStatusBar.h"

namespace {
// Closes the file if an error leaves the save while it is open, so no descriptor leaks.
// The error on its way out is the one the user needs to see; a second one from close is not.
struct CloseOnError {
  TFile& file;
  ~CloseOnError() {
    if (file.descriptor >= 0) CloseFile(file);
  }
};
}  // namespace

SaveOutcome SaveDump(TSaveDialog& saveDialog, TStatusBar& statusBar) {
  if (!saveDialog.Execute()) return SaveOutcome::Cancelled;

  TFile dumpFile;
  AssignFile(dumpFile, saveDialog.FileName());
  const bool createdHere = !dumpFile.name.empty() && FileSizeOf(dumpFile.name) < 0;
  // Creating the file empties an existing one: from here a termination signal waits until the
  // image is written and the file closed (or the save failed).
  const HeldProcessEnd holdEnd(EndHold::FileBeingWritten);
  Rewrite(dumpFile, 1);
  InOutCheck(dumpFile);
  CloseOnError closer{dumpFile};

  const int written = BlockWrite(dumpFile, DumpBuffer.data(), static_cast<int>(DumpBuffer.size()));
  try {
    InOutCheck(dumpFile);
  } catch (const EInOutError& error) {
    if (!createdHere) throw;
    // A file this save created and could not write to (a full disk) would stay behind empty.
    CloseFile(dumpFile);
    RemoveFile(dumpFile.name.c_str());
    throw EInOutError(std::string(error.what()) + " The empty file that this save created was removed.",
                      error.OsError());
  }
  if (written != static_cast<int>(DumpBuffer.size())) {
    // The disk took only part of the image; the file keeps that part.
    statusBar.SetPanelText("ERROR");
    CloseFile(dumpFile);
    InOutCheck(dumpFile);
    return SaveOutcome::ShortWrite;
  }

  // "File Saved" only once the image is on the disk and the file closed without error.
  FlushFile(dumpFile);
  InOutCheck(dumpFile);
  CloseFile(dumpFile);
  InOutCheck(dumpFile);
  statusBar.SetPanelText("File Saved");
  return SaveOutcome::Saved;
}
