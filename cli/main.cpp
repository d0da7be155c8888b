// lpt-dump: reads the 25160 on the parallel port and saves the 2048-byte image, from a terminal
// or a script. The same read and save as the window, with terminal displays.
#include <unistd.h>
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>

#include "bus/BusLines.h"
#include "bus/Port95.h"
#include "cli/DumpVerification.h"
#include "cli/FixedNameDialog.h"
#include "cli/PortChoice.h"
#include "cli/TerminalProgress.h"
#include "dump/DumpBuffer.h"
#include "dump/ReadEeprom.h"
#include "dump/SaveDump.h"
#include "ui/toolkit/UntypedFile.h"

namespace {
enum ExitCode { Saved = 0, ShortWrite = 1, Usage = 2, PortFailed = 3, IoFailed = 4, VerifyMismatch = 5 };

constexpr const char* ExitCodesHelp =
    "Exit codes:\n"
    "  0  the image was saved (\"File Saved\")\n"
    "  1  the disk took fewer than 2048 bytes (\"ERROR\"); the file holds what was written\n"
    "  2  bad command line\n"
    "  3  the port could not be opened or used (also a bad emulate IMAGE)\n"
    "  4  the file could not be written\n"
    "  5  --verify: the two reads differ; nothing was saved\n";

struct Options {
  std::string output;
  std::string port;
  bool verify = false;
  bool quiet = false;
  double flipShare = 0;
  unsigned flipSeed = 1;
};

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "lpt-dump: %s\n", message.c_str());
  return code;
}

void Read(TerminalProgress& display) {
  ReadEeprom(display, display);
  display.Finish();
}

int Run(const Options& options) {
  const bool toStdout = options.output == "-";
  const std::string fileName = toStdout ? "/dev/stdout" : options.output;
  if (!toStdout) {
    const auto folder = std::filesystem::absolute(options.output).parent_path();
    if (!std::filesystem::is_directory(folder)) {
      return Fail(IoFailed, "The folder \"" + folder.string() +
                                "\" does not exist; nothing was read or written. "
                                "Choose a folder that exists.");
    }
  }

  std::unique_ptr<PortBackend> port;
  try {
    port = OpenChosenPort(options.port, options.flipShare, options.flipSeed);
  } catch (const std::exception& error) {
    return Fail(PortFailed, error.what());
  }
  InstallPortBackend(port.get());

  const bool showProgress = !options.quiet && isatty(STDERR_FILENO) == 1;
  try {
    PutBusIdle();  // as the window does at start-up
    TerminalProgress first(stderr, showProgress, options.verify ? "read 1/2" : "read");
    Read(first);
    if (options.verify) {
      const EepromImage firstRead = DumpBuffer;
      TerminalProgress second(stderr, showProgress, "read 2/2");
      Read(second);
      const std::string differences = DescribeDifferences(firstRead, DumpBuffer);
      if (!differences.empty()) return Fail(VerifyMismatch, differences);
    }
  } catch (const std::exception& error) {
    return Fail(PortFailed, error.what());
  }

  TerminalProgress status(stderr, false, "");
  FixedNameDialog dialog(fileName);
  try {
    SaveDump(dialog, status);
  } catch (const EInOutError& error) {
    return Fail(IoFailed, error.what());
  }
  if (status.PanelText() != "File Saved") {
    std::fprintf(stderr, "%s\n", status.PanelText().c_str());
    return ShortWrite;
  }
  if (!options.quiet) std::fprintf(stderr, "%s\n", status.PanelText().c_str());
  return Saved;
}
}  // namespace

namespace {
int ParseAndRun(int argc, char** argv) {
  CLI::App app("Reads the whole 25160 SPI EEPROM (2048 bytes) on the parallel port and saves it as a plain image.",
               "lpt-dump");
  app.footer(ExitCodesHelp);
  app.set_version_flag("--version", "lpt-dump " LPT_VERSION);
  Options options;
  app.add_option("OUTPUT", options.output, "file to save the image in; - for standard output")->required();
  app.add_option("-p,--port", options.port,
                 "/dev/parportN (ppdev), direct (I/O 0x378), or emulate[:IMAGE] (emulated chip holding the "
                 "built-in image or a 2048-byte IMAGE file); default: the first parallel port");
  app.add_flag("--verify", options.verify, "read twice and save only if both reads agree");
  app.add_flag("-q,--quiet", options.quiet, "no progress and no \"File Saved\" line; errors are still shown");
  app.add_option("--emulate-flips", options.flipShare,
                 "testing: the emulated chip flips one bit in this share (0..1) of the bytes it sends")
      ->check(CLI::Range(0.0, 1.0))
      ->group("Testing");
  app.add_option("--emulate-seed", options.flipSeed, "testing: seed of the flipped bits")->group("Testing");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? Saved : Usage;
  }
  return Run(options);
}
}  // namespace

int main(int argc, char** argv) {
  try {
    return ParseAndRun(argc, argv);
  } catch (const std::exception& error) {
    return Fail(PortFailed, std::string("unexpected error: ") + error.what());
  }
}
