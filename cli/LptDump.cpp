// SPDX-License-Identifier: MIT
// lpt-dump: reads the 25160 on the parallel port and saves the 2048-byte image, from a terminal
// or a script. The same read and save as the window, with terminal displays.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <regex>
#include <sstream>

#include <unistd.h>

#include "bus/BusStartUp.h"
#include "bus/Port95.h"
#include "cli/Console.h"
#include "cli/HelpLayout.h"
#include "cli/ImageReport.h"
#include "cli/LptDump.h"
#include "cli/OutputCheck.h"
#include "cli/PortChoice.h"
#include "cli/ReadsReport.h"
#include "cli/RealPort.h"
#include "cli/TerminalProgress.h"
#include "dump/ChipStatus.h"
#include "dump/DumpBuffer.h"
#include "dump/ImageChecksums.h"
#include "dump/ImageFile.h"
#include "dump/ReadEeprom.h"
#include "dump/ReadsAgreement.h"
#include "dump/SaveDump.h"
#include "port/FirstParallelPort.h"
#include "port/PortError.h"
#include "runtime/EndingSignals.h"
#include "runtime/HexText.h"
#include "runtime/ProcessEnd.h"
#include "runtime/QuotedName.h"
#include "runtime/UntypedFile.h"
#include "runtime/VersionText.h"

namespace {
enum ExitCode { Saved = 0, ShortWrite = 1, Usage = 2, PortFailed = 3, IoFailed = 4, VerifyMismatch = 5, NoChip = 6 };

constexpr const char* ExitCodesHelp =
    "Exit codes:\n"
    "  0  the image was saved (\"File Saved\")\n"
    "  1  the disk took fewer than 2048 bytes (\"ERROR\"); an existing file is kept\n"
    "  2  bad command line\n"
    "  3  the port could not be opened or used (also a bad emulate IMAGE)\n"
    "  4  the file could not be written (with --compare: FILE could not be read)\n"
    "  5  the reads do not agree (a report says how); nothing was saved.\n"
    "     --compare: the chip and FILE differ (with both, the message tells which)\n"
    "  6  no chip answered (its status read 0xFF), or it stayed busy with a write;\n"
    "     nothing was read or saved\n";

struct Options {
  std::string output;
  std::string port;
  std::string compare;
  int reads = 2;       // --reads N: all N must agree; two unless told (a flipped bit shows)
  int untilAgree = 0;  // --until-agree MAX: until two reads in a row agree
  bool quiet = false;
  bool chipCheck = true;  // --no-chip-check turns it off
  std::string flips;      // --emulate-flips
  std::string chip;       // --emulate-chip
  EmulatedSocket emulated;
};

// A count of reads from `fewest` to 100: digits only, so "2x" is not taken for a number out of
// range.
CLI::Validator CountOfReads(int fewest) {
  return CLI::Validator(
      [fewest](const std::string& text) {
        const bool digits =
            !text.empty() && text.size() < 4 && text.find_first_not_of("0123456789") == std::string::npos;
        return digits && std::stoi(text) >= fewest && std::stoi(text) <= 100
                   ? std::string()
                   : "takes " + std::to_string(fewest) + " to 100, not " + text;
      },
      "");
}

constexpr const char* ChipForms = "absent, unpowered, busy, busy-for=N or status=0xNN";

// CLI11's messages in this program's words and form ("--reads takes 1 to 100, not 0").
std::string InOwnWords(const std::string& message) {
  static const std::pair<std::regex, const char*> rewrites[] = {
      {std::regex("^The following arguments? (was|were) not expected: (-\\S*).*"), "unrecognized option '$2'"},
      {std::regex("^The following arguments? (was|were) not expected: (\\S+).*"), "unexpected argument '$2'"},
      {std::regex("^(\\S+): 1 required \\S+ missing$"), "$1 needs a value"},
      {std::regex("^(\\S+) excludes (\\S+)$"), "$1 and $2 cannot be given together"},
      {std::regex("^(\\S+): (takes|needs|works) "), "$1 $2 "},
  };
  std::string words = message;
  for (const auto& [pattern, replacement] : rewrites) words = std::regex_replace(words, pattern, replacement);
  return words;
}

// The option given more than once, counted in the arguments: CLI11 words that error differently
// from version to version ("At Most 1 required", "At most 1 required"). "" when none is.
std::string RepeatedOption(const CLI::App& app, int argc, char** argv) {
  for (const CLI::Option* option : app.get_options()) {
    if (!option->nonpositional()) continue;
    int given = 0;
    for (int index = 1; index < argc && std::string_view(argv[index]) != "--"; ++index) {
      const std::string argument = argv[index];
      if (argument.rfind('-', 0) == 0 && option->check_name(argument.substr(0, argument.find('=')))) ++given;
    }
    if (given > 1) return option->get_name();
  }
  return "";
}

int Fail(int code, const std::string& message) {
  // After "error:" every message goes on in lower case; the texts the windows share are written
  // as their boxes' sentences ("The image ...", "Could not ...").
  std::string text = message;
  if (const std::string first = text.substr(0, text.find(' '));
      first == "The" || first == "Could" || first == "Cannot") {
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  }
  WriteText(stderr, "lpt-dump: error: " + text + "\n");
  return code;
}

void LastWords() {
  if (TerminalProgress::LineOpen()) EndLineOnStandardError();
}

// Reads are counted from 1 for the user.
std::string ReadNumber(std::size_t read) { return std::to_string(read + 1); }

// --until-agree: which reads agreed, and how many it took.
std::string AgreementNote(const RepeatedReads& reads) {
  const std::size_t last = reads.Count() - 1;
  std::string note = "Reads " + ReadNumber(last - 1) + " and " + ReadNumber(last) + " agreed; it took " +
                     std::to_string(reads.Count()) + " reads";
  std::string differing;
  for (std::size_t read = 0; read + 1 < last; ++read) {
    if (!reads.Same(read, last)) differing += (differing.empty() ? "" : ", ") + ReadNumber(read);
  }
  return note +
         (differing.empty() ? ""
                            : " (read" + std::string(differing.find(',') == std::string::npos ? " " : "s ") +
                                  differing + " differed)") +
         ".";
}

// Whether a chip answered its status read, for the user: "" when one did (a line on a terminal
// says so, naming the blocks protected from writes, if any), else why nothing is read.
std::string ChipProblem(const ChipStatus& chip, const Options& options) {
  const std::string port = options.port.empty() ? "the first parallel port" : QuotedName(options.port);
  const std::string status = "status " + HexText(chip.status);
  const std::string way = " Nothing was read or saved; --no-chip-check reads anyway.";
  const std::string check =
      " Check the chip's seating (pin 1 at the socket's mark), the CS, SCK, SI and SO wiring and the chip's power.";
  if (chip.answer == ChipStatus::Answer::NoChip) {
    return "no chip answered on " + port + ": its status read 0xFF, as it does when nothing drives SO." + check +
           " A chip busy with a write that never ends reads the same." + way;
  }
  if (chip.answer == ChipStatus::Answer::NoSuchStatus) {
    return "no 25160 answered on " + port + ": its " + status +
           " is none a 25160 gives (bits 6-4 read 0 unless a write is in progress), so SO floats or is miswired." +
           check + way;
  }
  if (chip.answer == ChipStatus::Answer::Busy) {
    return "the chip on " + port + " is busy with a write that never ends: its " + status +
           " said a write was in progress for 50 ms, and a write takes at most 5 ms. Switch the adapter's power "
           "off and on, then read again." +
           way;
  }
  const std::string protectedBlocks = ProtectedBlocks(chip.status);
  if (!options.quiet && (!protectedBlocks.empty() || IsTerminal(stderr))) {
    // 0x00 is also what SO held low gives, with no chip to drive it.
    WriteText(stderr,
              (chip.status == 0 ? "Status 0x00: a chip, or SO held low" : "The chip answered (" + status + ")") +
                  (protectedBlocks.empty() ? "" : "; " + protectedBlocks + " is protected from writes") +
                  ((chip.status & 0x80) != 0 ? "; WPEN is set (the WP pin guards the status register)" : "") + ".\n");
  }
  return "";
}

// Reads the chip into DumpBuffer: once, N times that must all agree (--reads, --verify), or
// until two reads in a row agree (--until-agree). 0, or the exit code of what failed, its
// message shown.
int ReadChip(const Options& options) {
  std::unique_ptr<PortBackend> port;
  try {
    port = OpenChosenPort(options.port, options.emulated);
  } catch (const std::exception& error) {
    return Fail(PortFailed, error.what());
  }
  InstallPortBackend(port.get());

  const bool showProgress = !options.quiet && IsTerminal(stderr);
  const int planned = options.untilAgree > 0 ? options.untilAgree : options.reads;
  RepeatedReads reads;
  bool agreed = false;
  try {
    BusStartUp();  // as the window does at its creation
    if (options.chipCheck) {
      if (const std::string problem = ChipProblem(CheckChip(), options); !problem.empty()) return Fail(NoChip, problem);
    }
    for (int read = 1; read <= planned && !agreed; ++read) {
      TerminalProgress progress(stderr, showProgress,
                                planned == 1 ? "read" : "read " + std::to_string(read) + "/" + std::to_string(planned));
      ReadEeprom(progress, progress);
      progress.Finish();
      reads.Add(DumpBuffer);
      agreed = options.untilAgree > 0 && read >= 2 && reads.Same(reads.Count() - 2, reads.Count() - 1);
    }
  } catch (const EPortError& error) {
    // A port that fails at its first writes has had no word of advice yet; one that failed mid-read has.
    const std::string message = error.what();
    const bool advised =
        message.find("Check the cable") != std::string::npos || message.find('\n') != std::string::npos;
    const std::string advice = advised ? "" : PortAdviceFor(error);
    return Fail(PortFailed, advice.empty() ? message : message + "\n" + advice);
  } catch (const std::exception& error) {
    return Fail(PortFailed, error.what());
  }
  if (agreed && !options.quiet) WriteText(stderr, AgreementNote(reads) + "\n");
  if (!agreed) {
    if (const auto disagreement = CompareReads(reads)) {
      const std::string notDone = options.compare.empty() ? "Nothing was saved."
                                                          : "The chip does not read the same each time, so it was "
                                                            "not compared with " +
                                                                QuotedName(options.compare) + ".";
      const std::string why = options.untilAgree > 0 ? "No two reads in a row agreed. " : "";
      return Fail(VerifyMismatch, why + DescribeDisagreement(*disagreement) + "\n" + notDone);
    }
    if (reads.Count() > 1 && !options.quiet)
      WriteText(stderr, "The " + std::to_string(reads.Count()) + " reads agreed.\n");
  }
  WarnAboutImage(DumpBuffer, options.chipCheck);
  return Saved;
}

// --compare: the chip against an image file; nothing is written.
int Compare(const Options& options) {
  EepromImage reference{};
  try {
    reference = LoadEepromImage(options.compare);
  } catch (const std::exception& error) {
    return Fail(IoFailed, std::string(error.what()) + " Nothing was read.");
  }
  if (const int code = ReadChip(options); code != Saved) return code;
  const std::string differences = DescribeDifferences(
      DumpBuffer, reference, "The chip and " + QuotedName(options.compare), "chip 0x%02X, file 0x%02X");
  if (!differences.empty()) {
    // A difference is the answer asked for, not an error (as cmp says it), with its own exit code.
    WriteText(stderr, "lpt-dump: " + differences +
                          (options.quiet ? ""
                                         : "\nThe chip: " + ImageChecksums(DumpBuffer) + "\n" +
                                               QuotedName(options.compare) + ": " + ImageChecksums(reference)) +
                          "\n");
    return VerifyMismatch;
  }
  if (!options.quiet) {
    WriteText(stderr, "The chip and " + QuotedName(options.compare) +
                          " are identical (2048 bytes); both: " + ImageChecksums(DumpBuffer) + "\n");
  }
  return Saved;
}

int Run(const Options& options) {
  if (!options.compare.empty()) return Compare(options);
  // /dev/stdout (and /dev/fd/1) is standard output by another name: the same checks and writing.
  const int handed = options.output == "-" ? 1 : OwnDescriptorNamed(options.output);
  const bool toStdout = handed == 1;
  if (toStdout && StandardOutputWasClosed()) {
    return Fail(IoFailed,
                "standard output is closed, so the image would reach nothing: give a file name, or redirect "
                "standard output (lpt-dump - > dump.bin). Nothing was read or written.");
  }
  if ((toStdout && IsTerminal(stdout)) || (handed > 2 && isatty(handed) == 1)) {
    return Fail(Usage, (toStdout ? std::string("standard output") : "descriptor " + std::to_string(handed)) +
                           " is a terminal, and the binary image would garble it: "
                           "redirect it (lpt-dump - > dump.bin) or pipe it (lpt-dump - | xxd).");
  }
  if (const std::string problem = toStdout ? StandardOutputProblem() : ""; !problem.empty()) {
    return Fail(IoFailed, problem + " Nothing was read or written.");
  }
  // The file is opened (a new one beside OUTPUT) before the read, so an output that cannot
  // be written costs no read; until the save it holds nothing, and any way out removes it.
  TFile dumpFile;
  AssignFile(dumpFile, toStdout ? "" : options.output);  // "" is standard output, where it stands
  dumpFile.takesOwnDescriptors = true;                   // /dev/fd/3 as well
  try {
    Rewrite(dumpFile, 1);
    InOutCheck(dumpFile);
  } catch (const EInOutError& error) {
    return Fail(IoFailed, std::string(error.what()) + " Nothing was read.");
  }
  const bool whereItStands = dumpFile.inPlace;  // standard output, /dev/fd/N, a named pipe
  const DiscardOnScopeExit discard{dumpFile};

  if (const int code = ReadChip(options); code != Saved) return code;

  // Ctrl+C or another ending signal during the save ends the program once the outcome is said:
  // "File Saved" when the image took the name's place, or why the save was given up.
  const SaveHoldsTheEnd holdEnd;
  TerminalProgress status(stderr, false, "");
  SaveOutcome outcome{};
  try {
    outcome = SaveDumpInto(dumpFile, status);
  } catch (const EInOutError& error) {
    return Fail(IoFailed, error.what());
  }
  if (outcome == SaveOutcome::ShortWrite) {
    // The status word on its own line, as the window shows it, then why.
    WriteText(stderr, status.PanelText() + "\n");
    return Fail(ShortWrite,
                ShortWriteText(dumpFile, whereItStands, toStdout ? "standard output" : QuotedName(options.output)));
  }
  if (!options.quiet) {
    // As sha256sum names what it summed ("-" for standard output); quoted only where the name
    // holds what a terminal would take for something else.
    const std::string name = toStdout ? "-" : options.output;
    const std::string quoted = QuotedName(name);
    const std::string shown = quoted == "\"" + name + "\"" ? name : quoted;
    WriteText(stderr, status.PanelText() + "\n" + ImageChecksums(DumpBuffer) + "  " + shown + "\n");
  }
  return Saved;
}

int ParseAndRun(int argc, char** argv) {
  CLI::App app(
      "Reads the whole 25160 SPI EEPROM (2048 bytes) on the parallel port twice and\nsaves it as a plain image when "
      "both reads agree: every image lpt-dump saves\nwas read twice and agreed, unless --reads 1 asks for one read.",
      "lpt-dump");
  app.footer(ExitCodesHelp);
  app.formatter(std::make_shared<HelpLayout>());
  // Windows takes forward slashes in names: "/k/fs.bin" is a file, not an option ("/?" aside).
  app.allow_windows_style_options(false);
  app.set_help_flag("-h,--help", "show this help and exit");
  app.set_help_all_flag("--help-all", "also the options for testing with the emulated chip");
  app.failure_message([](const CLI::App*, const CLI::Error& error) {
    return "lpt-dump: error: " + InOwnWords(error.what()) + "\nRun 'lpt-dump --help' for the usage.\n";
  });
  app.set_version_flag("--version", VersionText("lpt-dump"), "show the version and the licence, and exit");
  Options options;
  CLI::Option* output = app.add_option("OUTPUT", options.output, "file to save the image in; - for standard output");
  app.add_option("-p,--port", options.port,
                 std::string(RealPortForms()) +
                     "emulate[:IMAGE] (the emulated chip holding the built-in image or a 2048-byte IMAGE file); "
                     "default: the first parallel port")
      ->check(PortChoiceProblem, "PORT");
  CLI::Option* verify = app.add_flag_callback(
      "--verify", [&] { options.reads = 2; }, "read twice and save only if both reads agree (the default)");
  CLI::Option* reads =
      app.add_option("--reads", options.reads,
                     "read N times (1 to 100; 2 unless told) and save only if all N reads agree, else report how "
                     "they differ; 1 saves a single read that nothing checks")
          ->check(CountOfReads(1))
          ->type_name("N")
          ->excludes(verify);
  app.add_option("--until-agree", options.untilAgree,
                 "read until two reads in a row agree, at most MAX times (2 to 100), and save that image")
      ->check(CountOfReads(2))
      ->type_name("MAX")
      ->excludes(verify)
      ->excludes(reads);
  CLI::Option* compare =
      app.add_option(
             "--compare", options.compare,
             "read the chip and compare it with this 2048-byte image instead of saving (exit 0: identical, 5: not)")
          ->excludes(output)
          ->type_name("FILE");
  app.add_flag("-q,--quiet", options.quiet, "no progress and no \"File Saved\" line; errors are still shown");
  app.add_flag("!--no-chip-check", options.chipCheck,
               "read without first asking the chip for its status (for an adapter whose SO has no pull-up)");
  app.add_option("--emulate-flips", options.flips,
                 "testing: the emulated chip flips one bit in this share (0..1) of the bytes it sends; narrowed by "
                 ",bit=B (repeatable), ,0to1 or ,1to0, ,reads=FIRST-[LAST], ,addresses=FIRST-LAST")
      ->check(
          [](const std::string& text) {
            return ParseBitFlips(text) ? std::string()
                                       : "takes SHARE (0 to 1)[,bit=B][,0to1|,1to0][,reads=FIRST-[LAST]]"
                                         "[,addresses=FIRST-LAST]";
          },
          "SHARE[,...]")
      ->group("Testing");
  app.add_option("--emulate-chip", options.chip,
                 "testing: the emulated socket: absent (no chip), unpowered, busy (a write that never ends), "
                 "busy-for=N (status reads), status=0xNN")
      ->check(
          [](const std::string& text) {
            return ParseEmulatedChip(text) ? std::string() : std::string("takes ") + ChipForms;
          },
          "STATE")
      ->group("Testing");
  unsigned flipSeed = 1;
  app.add_option("--emulate-seed", flipSeed, "testing: seed of the flipped bits")->type_name("SEED")->group("Testing");
  try {
    // CLI11 takes the next argument as the value of an empty "--port=" or "--compare=".
    const auto given = [&](std::string_view argument) {
      return std::find(argv + 1, argv + argc, argument) != argv + argc;
    };
    if (given("--port=")) throw CLI::ValidationError("--port", PortChoiceProblem(""));
#ifdef _WIN32
    // Windows' own way to ask a console program for its usage.
    if (argc == 2 && std::string_view(argv[1]) == "/?") throw CLI::CallForHelp();
#endif
    constexpr const char* CompareNeedsAFile = "needs a 2048-byte image file (standard input is not taken)";
    if (given("--compare=")) throw CLI::ValidationError("--compare", CompareNeedsAFile);
    app.parse(argc, argv);
    if (compare->count() > 0 && (options.compare.empty() || options.compare == "-")) {
      throw CLI::ValidationError("--compare", CompareNeedsAFile);
    }
    if (output->count() == 0 && options.compare.empty()) throw CLI::RequiredError("OUTPUT");
    if (output->count() > 0 && options.output.empty()) {
      throw CLI::ValidationError("the name given as OUTPUT is empty: give a file name, or - for standard output");
    }
    if (!options.chip.empty()) options.emulated = *ParseEmulatedChip(options.chip);
    if (!options.flips.empty()) {
      options.emulated.flips = *ParseBitFlips(options.flips);
      options.emulated.flips.seed = flipSeed;
    }
    for (const CLI::Option* testing : {app.get_option("--emulate-flips"), app.get_option("--emulate-chip")}) {
      if (testing->count() > 0 && !IsEmulatedPortChoice(options.port)) {
        throw CLI::ValidationError(testing->get_name() + " works only with --port emulate");
      }
    }
  } catch (const CLI::ParseError& error) {
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
      if (const std::string repeated = RepeatedOption(app, argc, argv); !repeated.empty()) {
        return Fail(Usage, repeated + " is given more than once: give it once.");
      }
    }
    std::ostringstream out;
    std::ostringstream err;
    const int code = app.exit(error, out, err);
    WriteText(stdout, out.str());
    WriteText(stderr, err.str());
    // The help or the version that never reached standard output (a full disk, a closed pipe) is
    // a failure, as for every command-line tool: exit 1 and say so.
    if (code == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
      Fail(1, std::string("write error on standard output: ") + std::strerror(errno));
      return 1;
    }
    return code == 0 ? Saved : Usage;
  }
  return Run(options);
}
}  // namespace

int LptDumpMain(int argc, char** argv) {
  PrepareProcess();
  SetLastWords(LastWords);
  try {
    return ParseAndRun(argc, argv);
  } catch (const std::exception& error) {
    return Fail(PortFailed, std::string("unexpected error: ") + error.what());
  }
}
