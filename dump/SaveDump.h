// SPDX-License-Identifier: MIT
#pragma once
#include <string>

class TSaveDialog;
class TStatusBar;
struct TFile;

// What a save came to, for callers that are not a window and have no status bar to look at.
enum class SaveOutcome { Saved, ShortWrite, Cancelled };

// Asks for a file name and writes DumpBuffer to it as a plain 2048-byte image. The status bar
// then says "File Saved" (all on disk) or "ERROR" (a short write, which also raises EInOutError
// with no OS error: 0);
// any other failure raises EInOutError and leaves the status text as the read left it. Whatever
// fails, what the name held stays as it was and no file is left behind.
SaveOutcome SaveDump(TSaveDialog& saveDialog, TStatusBar& statusBar);

// The same save into a file that Rewrite has already opened (the command line opens it before
// the read, so an output that cannot be written costs no read). The file is committed, or
// discarded on any failure.
SaveOutcome SaveDumpInto(TFile& dumpFile, TStatusBar& statusBar);

// What a short write left, in the words lpt-dump and the windows both show after "ERROR": what
// took how many bytes, and what became of the name. `whereItStands` for a pipe or a descriptor
// (written where it stands, it keeps what went through), else a file on a disk.
std::string ShortWriteText(const TFile& dumpFile, bool whereItStands, const std::string& shownName);
