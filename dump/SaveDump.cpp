#include "dump/SaveDump.h"

#include "display/TSaveDialog.h"
#include "display/TStatusBar.h"
#include "dump/DumpBuffer.h"
#include "runtime/ProcessEnd.h"
#include "runtime/UntypedFile.h"

SaveOutcome SaveDump(TSaveDialog& saveDialog, TStatusBar& statusBar) {
  if (!saveDialog.Execute()) return SaveOutcome::Cancelled;
  TFile dumpFile;
  AssignFile(dumpFile, saveDialog.FileName());
  Rewrite(dumpFile, 1);
  InOutCheck(dumpFile);
  return SaveDumpInto(dumpFile, statusBar);
}

SaveOutcome SaveDumpInto(TFile& dumpFile, TStatusBar& statusBar) {
  // Anything that leaves the save before the image is in place closes the descriptor and removes
  // the temporary file: the name's old content stays untouched.
  const DiscardUnlessCommitted discard{dumpFile};
  // A termination signal (Ctrl+C) waits while the image is written, so the last words never race
  // the rename; one that came before the rename gives the save up, and one after it lets "File
  // Saved" be said first. A caller that reports the outcome holds the end too, until it has.
  const SaveHoldsTheEnd holdEnd;

  const int written = BlockWrite(dumpFile, DumpBuffer.data(), static_cast<int>(DumpBuffer.size()));
  InOutCheck(dumpFile);
  if (written != static_cast<int>(DumpBuffer.size())) {
    // The disk took only part of the image: a file on a disk is not replaced by that part.
    // Standard output or a pipe keeps what went through.
    statusBar.SetPanelText("ERROR");
    CloseFile(dumpFile);
    InOutCheck(dumpFile);
    return SaveOutcome::ShortWrite;
  }

  // "File Saved" only once the image is on the disk under the name.
  FlushFile(dumpFile);
  InOutCheck(dumpFile);
  CloseFile(dumpFile);
  InOutCheck(dumpFile);
  if (ProcessEndRequested()) {
    GiveUpSave(dumpFile,
               "the program was asked to end (Ctrl+C or a signal) before the image took the name's place, so the "
               "save was given up",
               "Read and save again.");
  }
  CommitFile(dumpFile);
  InOutCheck(dumpFile);
  statusBar.SetPanelText("File Saved");
  return SaveOutcome::Saved;
}
