#pragma once

class TSaveDialog;
class TStatusBar;

// What a save came to, for callers that are not a window and have no status bar to look at.
enum class SaveOutcome { Saved, ShortWrite, Cancelled };

// Asks for a file name and writes DumpBuffer to it as a plain 2048-byte image. The status bar
// then says "File Saved" (all on disk) or "ERROR" (the disk took fewer bytes). A cancelled
// dialog writes nothing; an I/O error raises EInOutError and leaves the status text alone.
SaveOutcome SaveDump(TSaveDialog& saveDialog, TStatusBar& statusBar);
