#pragma once

class TSaveDialog;
class TStatusBar;
struct TFile;

// What a save came to, for callers that are not a window and have no status bar to look at.
enum class SaveOutcome { Saved, ShortWrite, Cancelled };

// Asks for a file name and writes DumpBuffer to it as a plain 2048-byte image. The status bar
// then says "File Saved" (all on disk) or "ERROR" (the disk took fewer bytes). A cancelled
// dialog writes nothing. Whatever fails, what the name held before stays as it was: "ERROR" or
// an EInOutError (the status text then stays as the read left it) leave no file behind.
SaveOutcome SaveDump(TSaveDialog& saveDialog, TStatusBar& statusBar);

// The same save into a file that Rewrite has already opened (the command line opens it before
// the read, so an output that cannot be written costs no read). The file is committed, or
// discarded on any failure.
SaveOutcome SaveDumpInto(TFile& dumpFile, TStatusBar& statusBar);
