#pragma once
#include <optional>
#include <string>
#include <vector>

// The command line of a window program, taken as every program takes it: --help (-h) and
// --version answer on standard output and end the program before a window is opened or a port
// is touched; an argument that neither the program nor the toolkit takes ends it with the usage
// on standard error, naming what was wrong.
struct WindowProgram {
  std::string name;   // as the user knows it: lpt-tool, lpt-tool-demo
  std::string usage;  // the usage text, without the program's name
};

// The exit code when the command line asks for help or the version (0, or 1 when standard output
// could not take the text); nothing when it asks for the window.
std::optional<int> AnswerHelpOrVersion(int argc, char** argv, const WindowProgram& program);

// The exit code (2) when the arguments that the toolkit left hold an option, or more operands
// than `operands`; nothing when they are fine.
std::optional<int> RefuseUnknownArguments(const std::vector<std::string>& left, std::size_t operands,
                                          const WindowProgram& program);
