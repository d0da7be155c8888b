// SPDX-License-Identifier: MIT
#pragma once

// What both programs do first, before any port or file is opened.
// On Linux: descriptors 0 to 2 are opened on /dev/null where closed (so the port or the image
// never becomes one of them); a file size limit shortens a write instead of killing the process;
// and every ending signal the caller did not ignore puts the bus idle first during a read, waits
// for a save's outcome during a save, and ends the process at once otherwise. A SIGPIPE from the
// program's own write only fails that write; a fault (SIGSEGV, ...) keeps its default action.
// On Windows: Ctrl+C, Ctrl+Break and closing the console do the same, standard output is binary,
// the console shows UTF-8, and the current folder is out of the DLL search path.
void PrepareProcess();

void EnsureStandardDescriptors();

// Whether standard output was closed when the program started (`>&-`): what is written there
// would reach nothing, so it must not be taken for a place to put the image.
bool StandardOutputWasClosed();
