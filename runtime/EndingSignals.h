// SPDX-License-Identifier: MIT
#pragma once

// What both programs do first, before any port or file is opened.
// On Linux:
// - descriptors 0, 1 and 2 are made sure to be open (on /dev/null where closed), so that the
//   port or the dump file never becomes standard output or error and receives text or an image
//   meant for them;
// - a file size limit makes a write come back short or fail instead of killing the process;
// - every signal whose default action ends the process (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
//   SIGUSR1, SIGALRM, SIGPIPE from outside, the real-time signals, ...) and that the caller did
//   not ignore: during a read it puts the bus idle before the process ends with the signal
//   (a core-dumping one still dumps core); during a save it waits until the file is written and
//   closed, then gives the save up if the image has not yet taken the name's place, or lets
//   "File Saved" be said if it has; at any other time it ends the process at once. A SIGPIPE from the program's own
//   write to a pipe whose reader went away only makes that write fail (EPIPE). A fault of the program's own (SIGSEGV,
//   ...) keeps its default action.
// On Windows: Ctrl+C, Ctrl+Break and closing the console do the same as those signals, standard
// output is binary (no 0x0A becomes 0x0D 0x0A), the console shows UTF-8, and the current folder
// is taken out of the DLL search path.
void PrepareProcess();

void EnsureStandardDescriptors();

// Whether standard output was closed when the program started (`>&-`): what is written there
// would reach nothing, so it must not be taken for a place to put the image.
bool StandardOutputWasClosed();
