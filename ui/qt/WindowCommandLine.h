// SPDX-License-Identifier: MIT
#pragma once
#include <optional>
#include <string>
#include <vector>

// The command line of a window program, read before the toolkit starts and before a display is
// looked for, as every program reads it: --help (-h) and --version answer on standard output and
// end the program; an option that neither the program nor Qt takes, or one operand too many, ends
// it with the usage on standard error and exit code 2, naming what was wrong. Qt's own options
// (-style fusion, -reverse, -platform offscreen, ...) are left for Qt.
struct WindowProgram {
  std::string name;      // as the user knows it: lpt-tool, lpt-tool-demo
  std::string usage;     // the usage text, without the program's name
  std::size_t operands;  // how many operands it takes at most (lpt-tool-demo: its IMAGE)
};

struct WindowCommandLine {
  std::optional<int> exitCode;        // set when the program ends here: 0, 1 (output failed) or 2
  std::vector<std::string> operands;  // otherwise, the operands given
};

WindowCommandLine ReadWindowCommandLine(int argc, char** argv, const WindowProgram& program);
