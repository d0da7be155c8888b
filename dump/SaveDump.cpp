// SPDX-License-Identifier: MIT
#include "dump/SaveDump.h"

#include <cctype>
#include "display/TSaveDialog.h"
#include "display/TStatusBar.h"
#include "dump/DumpBuffer.h"

#include "runtime/EInOutError.h"
#include "runtime/ProcessEnd.h"
#include "runtime/QuotedName.h"
#include "runtime/UntypedFile.h"

SaveOutcome SaveDump(TSaveDialog& saveDialog, TStatusBar& statusBar) {
  if (!saveDialog.Execute()) return SaveOutcome::Cancelled;
  TFile dumpFile;
  AssignFile(dumpFile, saveDialog.FileName());
  Rewrite(dumpFile, 1);
  InOutCheck(dumpFile);
  const bool whereItStands = dumpFile.inPlace;  // a named pipe
  const SaveOutcome outcome = SaveDumpInto(dumpFile, statusBar);
  if (outcome == SaveOutcome::ShortWrite) {
    std::string text = ShortWriteText(dumpFile, whereItStands, QuotedName(saveDialog.FileName()));
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    throw EInOutError(text, 0);
  }
  return outcome;
}

std::string ShortWriteText(const TFile& dumpFile, bool whereItStands, const std::string& shownName) {
  const std::string took = " took only " + std::to_string(dumpFile.recordsWritten) + " of the 2048 bytes";
  if (whereItStands) return shownName + took + "; it keeps what went through.";
  return "the disk" + took + " (a full disk or a file size limit); " +
         (dumpFile.replacing ? "the existing " + shownName + " is unchanged" : "no file was made") +
         ". Free space on the disk (or raise the file size limit), then read and save again.";
}

SaveOutcome SaveDumpInto(TFile& dumpFile, TStatusBar& statusBar) {
  // Anything that leaves the save before the image is in place closes the descriptor and removes
  // the temporary file: the name's old content stays untouched.
  const DiscardOnScopeExit discard{dumpFile};
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
