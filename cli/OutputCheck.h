#pragma once
#include <string>

// Why standard output cannot take the image ("" when nothing stands in the way), found before the
// read so that a doomed save never costs one: a port, a descriptor open only for reading, a pipe
// whose reader has gone. A file OUTPUT is checked by opening it (Rewrite) before the read.
std::string StandardOutputProblem();
