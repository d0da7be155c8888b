#include "ui/qt/WindowCommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/VersionText.h"

namespace {
void PrintUsage(std::FILE* stream, const WindowProgram& program) {
  std::fprintf(stream, "usage: %s %s", program.name.c_str(), program.usage.c_str());
}

// Standard output that did not take the text (a full disk, a closed pipe) is a failure.
int FlushedOrFailed(const WindowProgram& program) {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return 0;
  std::fprintf(stderr, "%s: error: write error on standard output: %s\n", program.name.c_str(), std::strerror(errno));
  return 1;
}
}  // namespace

std::optional<int> AnswerHelpOrVersion(int argc, char** argv, const WindowProgram& program) {
  for (int index = 1; index < argc; ++index) {
    const std::string argument = argv[index];
    if (argument == "--") break;
    if (argument == "--help" || argument == "-h") {
      PrintUsage(stdout, program);
      return FlushedOrFailed(program);
    }
    if (argument == "--version") {
      std::printf("%s\n", VersionText(program.name).c_str());
      return FlushedOrFailed(program);
    }
  }
  return std::nullopt;
}

std::optional<int> RefuseUnknownArguments(const std::vector<std::string>& left, std::size_t operands,
                                          const WindowProgram& program) {
  std::vector<std::string> operandsGiven;
  bool optionsEnded = false;
  for (const std::string& argument : left) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      std::fprintf(stderr, "%s: error: unknown option '%s'\n", program.name.c_str(), argument.c_str());
      PrintUsage(stderr, program);
      return 2;
    } else {
      operandsGiven.push_back(argument);
    }
  }
  if (operandsGiven.size() <= operands) return std::nullopt;
  std::fprintf(stderr, "%s: error: unexpected argument '%s'\n", program.name.c_str(), operandsGiven[operands].c_str());
  PrintUsage(stderr, program);
  return 2;
}
