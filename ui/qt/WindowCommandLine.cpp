// SPDX-License-Identifier: MIT
#include "ui/qt/WindowCommandLine.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/VersionText.h"

namespace {
// The options Qt's application takes from the command line itself (QGuiApplication's and
// QApplication's), written with one dash as Qt writes them; those after the first take a value.
const char* const QtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
const char* const QtOptionsWithAValue[] = {"platform",        "platformpluginpath",
                                           "platformtheme",   "plugin",
                                           "qwindowgeometry", "qwindowicon",
                                           "qwindowtitle",    "session",
                                           "display",         "geometry",
                                           "title",           "name",
                                           "visual",          "style",
                                           "stylesheet",      "qmljsdebugger"};

void PrintUsage(std::FILE* stream, const WindowProgram& program) {
  std::fprintf(stream, "usage: %s %s", program.name.c_str(), program.usage.c_str());
}

// Standard output that did not take the text (a full disk, a closed pipe) is a failure.
int FlushedOrFailed(const WindowProgram& program) {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return 0;
  std::fprintf(stderr, "%s: error: write error on standard output: %s\n", program.name.c_str(), std::strerror(errno));
  return 1;
}

int Refuse(const WindowProgram& program, const std::string& what) {
  std::fprintf(stderr, "%s: error: %s\n", program.name.c_str(), what.c_str());
  PrintUsage(stderr, program);
  return 2;
}

// The argument as the user typed it that names this option ("--bogus" for "bogus").
std::string AsTyped(const QStringList& arguments, const QString& option) {
  for (const QString& argument : arguments) {
    QString name = argument;
    while (name.startsWith('-')) name.remove(0, 1);
    if (name.section('=', 0, 0) == option) return argument.section('=', 0, 0).toStdString();
  }
  return option.toStdString();
}
}  // namespace

WindowCommandLine ReadWindowCommandLine(int argc, char** argv, const WindowProgram& program) {
  QStringList arguments;
  for (int index = 0; index < argc; ++index) arguments << QString::fromLocal8Bit(argv[index]);
  QCommandLineParser parser;
  // -style fusion as Qt writes its options: one dash before a word is that word's option.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{"h", "help"});
  const QCommandLineOption version("version");
  parser.addOption(help);
  parser.addOption(version);
  for (const char* flag : QtFlags) parser.addOption(QCommandLineOption(flag));
  for (const char* option : QtOptionsWithAValue) parser.addOption(QCommandLineOption(option, "", "value"));
  if (!parser.parse(arguments)) {
    if (!parser.unknownOptionNames().isEmpty()) {
      return {Refuse(program, "unknown option '" + AsTyped(arguments, parser.unknownOptionNames().first()) + "'"), {}};
    }
    // The other error QCommandLineParser knows: "Missing value after '-style'."
    const QString missing = parser.errorText().section('\'', 1, 1);
    return {Refuse(program,
                   missing.isEmpty() ? parser.errorText().toStdString() : missing.toStdString() + " needs a value"),
            {}};
  }
  if (parser.isSet(help)) {
    PrintUsage(stdout, program);
    return {FlushedOrFailed(program), {}};
  }
  if (parser.isSet(version)) {
    std::printf("%s\n", VersionText(program.name).c_str());
    return {FlushedOrFailed(program), {}};
  }
  WindowCommandLine read;
  for (const QString& operand : parser.positionalArguments())
    read.operands.push_back(operand.toLocal8Bit().toStdString());
  if (read.operands.size() > program.operands) {
    read.exitCode = Refuse(program, "unexpected argument '" + read.operands[program.operands] + "'");
  }
  return read;
}
