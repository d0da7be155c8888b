// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// Why standard output cannot take the image ("" when nothing stands in the way), found before the
// read so that a doomed save never costs one: a pipe whose reader has gone. What standard output
// and a file OUTPUT are (a port, a descriptor open only for reading) is decided by opening them
// (Rewrite), also before the read.
std::string StandardOutputProblem();
