// SPDX-License-Identifier: MIT
// lpt-dump run as a process, the way a user or a script runs it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include "cli/HelpLayout.h"
#include "tests/support/FileContents.h"

namespace fs = std::filesystem;

namespace {
// The processor time a process has used (/proc/PID/stat: utime + stime), in clock ticks; -1
// once it has ended.
long CpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) return -1;
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string state;
  fields >> state;
  if (state == "Z") return -1;
  std::string skipped;
  for (int field = 4; field <= 13; ++field) fields >> skipped;
  long user = 0, system = 0;
  fields >> user >> system;
  return user + system;
}

// Waits until lpt-dump reads: its one long piece of work is the read, about a second of the
// processor's time, so a process that has used a tenth of a second is in it, with most of it
// to go however loaded the machine is. False if it ended first, or after a generous deadline.
bool WaitUntilReading(pid_t pid) {
  const long tenthOfASecond = sysconf(_SC_CLK_TCK) / 10;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  for (long used = CpuTicks(pid); used < tenthOfASecond; used = CpuTicks(pid)) {
    if (used < 0 || std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

struct Outcome {
  int exitCode;
  std::string out;
  std::string err;
};

// A scratch folder holding a random chip image.
class LptDumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("lpt-dump-" + std::to_string(getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
    std::mt19937 random(7);
    for (auto& byte : image) byte = static_cast<char>(random());
    std::ofstream(folder / "chip.bin", std::ios::binary).write(image.data(), image.size());
    chipPort = "--port emulate:" + (folder / "chip.bin").string();
  }
  void TearDown() override { fs::remove_all(folder); }

  // Runs `program` through the shell with `arguments`; `prefix` goes before it (limits, traps).
  Outcome Run(const std::string& arguments, const std::string& prefix = "", const std::string& suffix = "") {
    const std::string command = prefix + " " + program + " " + arguments + suffix + " > " + (folder / "out").string() +
                                " 2> " + (folder / "err").string() + " < /dev/null";
    const int status = std::system(("sh -c '" + command + "'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileContents(folder / "out"), FileContents(folder / "err")};
  }
  std::string ChipImage() const { return {image.begin(), image.end()}; }

  // Starts lpt-dump with `arguments` (and every signal at its default action, whatever this
  // process was started with), its standard output on `output`, its standard error in the
  // scratch folder's "err".
  pid_t Start(const std::vector<std::string>& arguments, int output) {
    const int error = open((folder / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(output, STDOUT_FILENO);
      dup2(error, STDERR_FILENO);
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      for (const int signal : {SIGINT, SIGQUIT, SIGPIPE, SIGUSR1, SIGALRM, SIGTERM, SIGHUP})
        std::signal(signal, SIG_DFL);
      std::vector<char*> argv{const_cast<char*>(LPT_DUMP)};
      for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
      argv.push_back(nullptr);
      execv(LPT_DUMP, argv.data());
      _exit(127);
    }
    close(error);
    return pid;
  }
  // The exit code as a shell reports it: 128 + the signal for a process that a signal ended.
  static int Finish(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
  }

  fs::path folder;
  std::array<char, 2048> image{};
  std::string chipPort;
  // What Run starts: lpt-dump with a counting bus delay, for what the reads say; a test of what
  // happens while a read takes its time runs the shipped lpt-dump (LPT_DUMP).
  std::string program = LPT_DUMP_COUNTING_DELAY;
};

// The checksums after "File Saved" are the ones standard tools give for the file.
TEST_F(LptDumpTest, SavesTheChipWithFileSavedAndTheFilesChecksums) {
  const Outcome outcome = Run(chipPort + " " + (folder / "dump.bin").string());
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(FileContents(folder / "dump.bin"), ChipImage());
  const std::string sum = (folder / "sum").string();
  ASSERT_EQ(std::system(("sha256sum " + (folder / "dump.bin").string() + " > " + sum).c_str()), 0);
  EXPECT_EQ(outcome.err.substr(0, 38), "The 2 reads agreed.\nFile Saved\nCRC-32 ")
      << "no progress noise when standard error is not a terminal";
  // The line ends as sha256sum's does: the checksum, two spaces and the name.
  const std::string named = FileContents(sum).substr(0, 64) + "  " + (folder / "dump.bin").string() + "\n";
  EXPECT_EQ(outcome.err.substr(outcome.err.size() - named.size()), named) << outcome.err;
  // The CRC-32 as gzip records it for the file (its "crc" column).
  const std::string crc = (folder / "crc").string();
  ASSERT_EQ(
      std::system(
          ("gzip -c " + (folder / "dump.bin").string() + " | gzip -lv | awk 'NR == 2 { print $2 }' > " + crc).c_str()),
      0);
  EXPECT_EQ(outcome.err.substr(38, 8), FileContents(crc).substr(0, 8)) << outcome.err;
  EXPECT_EQ(outcome.out, "");
}

TEST_F(LptDumpTest, WritesOnlyTheImageToStandardOutput) {
  const Outcome outcome = Run("-q " + chipPort + " -");
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(outcome.out, ChipImage());
  EXPECT_EQ(outcome.err, "");
}

// A file size limit of one block (512 or 1024 bytes, depending on the shell); SIGXFSZ is left at
// its default, which would kill the process. The disk takes part of the image: "ERROR", exit 1,
// and the earlier dump stays as it was.
TEST_F(LptDumpTest, AFileSizeLimitGivesAShortWriteThatKeepsTheEarlierDump) {
  const fs::path dump = folder / "dump.bin";
  std::ofstream(dump) << std::string(1000, 'x');
  Outcome outcome = Run(chipPort + " " + dump.string(), "ulimit -f 1;");
  EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
  EXPECT_NE(outcome.err.find("ERROR\nlpt-dump: error: the disk took only "), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("the existing \"" + dump.string() + "\" is unchanged. Free space"), std::string::npos)
      << outcome.err;
  EXPECT_EQ(FileContents(dump), std::string(1000, 'x'));

  outcome = Run(chipPort + " " + (folder / "new.bin").string(), "ulimit -f 1;");
  EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
  EXPECT_NE(outcome.err.find("no file was made. Free space"), std::string::npos) << outcome.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4) << "chip, dump, out, err";

  // A descriptor the shell handed, at the highest number the system gives one, takes the image.
  EXPECT_EQ(Run(chipPort + " /dev/fd/1023", "bash -c \"", " 1023>" + (folder / "high.bin").string() + "\"").exitCode,
            0);
  EXPECT_EQ(FileContents(folder / "high.bin"), ChipImage());

  // A descriptor the shell opened is written where it stands and keeps what went through.
  outcome = Run(chipPort + " /dev/fd/4", "ulimit -f 1;", " 4>" + (folder / "limited.bin").string());
  EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
  EXPECT_NE(outcome.err.find("ERROR\nlpt-dump: error: \"/dev/fd/4\" took only "), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("; it keeps what went through.\n"), std::string::npos) << outcome.err;
  EXPECT_GT(fs::file_size(folder / "limited.bin"), 0u);
}

// A real full disk: a small file system of its own (root only), holding an earlier dump.
TEST_F(LptDumpTest, AFullDiskKeepsTheEarlierDumpAndSaysSo) {
  const fs::path disk = folder / "disk";
  fs::create_directory(disk);
  if (std::system(("mount -t tmpfs -o size=8k tmpfs " + disk.string() + " 2> /dev/null").c_str()) != 0) {
    GTEST_SKIP() << "no small file system could be mounted (not root)";
  }
  std::ofstream(disk / "dump.bin") << std::string(1000, 'x');
  std::ofstream(disk / "filler") << std::string(8192 - 4096, 'f');
  const Outcome outcome = Run(chipPort + " " + (disk / "dump.bin").string());
  const std::string left = FileContents(disk / "dump.bin");
  const auto names = std::distance(fs::directory_iterator(disk), fs::directory_iterator());
  EXPECT_EQ(std::system(("umount " + disk.string()).c_str()), 0) << "the small disk stays mounted";
  EXPECT_EQ(outcome.exitCode, 4) << outcome.err;
  EXPECT_NE(outcome.err.find("No space left on device"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("is unchanged."), std::string::npos) << outcome.err;
  EXPECT_EQ(left, std::string(1000, 'x'));
  EXPECT_EQ(names, 2) << "the temporary file stayed";
}

// What is no file is refused before the read (which takes about a second): devices, a socket,
// /proc; standard output opened only for reading.
TEST_F(LptDumpTest, OutputsThatAreNoFilesAreRefusedBeforeTheRead) {
  const fs::path block = folder / "loop0";
  const bool haveBlock = mknod(block.c_str(), S_IFBLK | 0600, makedev(7, 0)) == 0;
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (folder / "socket").c_str());
  ASSERT_EQ(bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  std::vector<std::string> outputs{"/dev/null", "/dev/zero", "/proc/self/comm", (folder / "socket").string()};
  if (haveBlock) outputs.push_back(block.string());
  for (const std::string& output : outputs) {
    // The deadline only stops a program that would wait on the device for ever.
    const Outcome outcome = Run(chipPort + " " + output, "timeout 60");
    EXPECT_EQ(outcome.exitCode, 4) << output << ": " << outcome.err;
    EXPECT_NE(outcome.err.find("Nothing was read."), std::string::npos) << outcome.err;
  }
  close(socket);
}

TEST_F(LptDumpTest, BadInputIsRefusedWithTheRightCodeAndNothingWritten) {
  EXPECT_EQ(Run(chipPort).exitCode, 2) << "OUTPUT missing";
  EXPECT_EQ(Run("--frobnicate " + (folder / "dump.bin").string()).exitCode, 2);

  std::ofstream(folder / "short.bin") << "too short";
  Outcome outcome = Run("--port emulate:" + (folder / "short.bin").string() + " " + (folder / "dump.bin").string());
  EXPECT_EQ(outcome.exitCode, 3);
  EXPECT_NE(outcome.err.find("exactly 2048 bytes"), std::string::npos) << outcome.err;

  outcome = Run("--port /dev/parport9 " + (folder / "dump.bin").string());
  EXPECT_EQ(outcome.exitCode, 3);
  EXPECT_NE(outcome.err.find("open on /dev/parport9 failed"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("modprobe parport_pc ppdev"), std::string::npos) << "advice for a missing device";

  outcome = Run(chipPort + " " + (folder / "missing" / "dump.bin").string());
  EXPECT_EQ(outcome.exitCode, 4);
  EXPECT_NE(outcome.err.find("does not exist"), std::string::npos) << outcome.err;
  EXPECT_FALSE(fs::exists(folder / "dump.bin"));
  EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(LptDumpTest, ABadCommandLineExitsTwoWithOneLineAndReadsNothing) {
  for (const std::string arguments :
       {"--port bogus", "--port=", "--port emulate:", "--emulate-flips nan --port emulate",
        "--emulate-flips 0.1 --port direct", "--port direct:0xFF", "--port direct:0x10000", "--port direct:0xFFFE",
        "--port direct:", "--port direct:0378", "--port direct:0x37A", "--emulate-chip absent --port direct",
        "--emulate-chip gone --port emulate", "--emulate-chip busy-for=x --port emulate",
        "--emulate-chip busy-for=+3 --port emulate", "--emulate-chip status=+0x0c --port emulate"}) {
    const Outcome outcome = Run(arguments + " " + (folder / "dump.bin").string());
    EXPECT_EQ(outcome.exitCode, 2) << arguments << ": " << outcome.err;
    EXPECT_FALSE(fs::exists(folder / "dump.bin"));
  }
  EXPECT_NE(Run("--port direct:0378 x.bin").err.find("did you mean 0x378?"), std::string::npos);
  // In the program's own words and form, not its command-line library's.
  const std::pair<const char*, const char*> messages[] = {
      {"--reads 0 x.bin", "lpt-dump: error: --reads takes 1 to 100, not 0\n"},
      {"--until-agree 2x x.bin", "lpt-dump: error: --until-agree takes 2 to 100, not 2x\n"},
      {"--bogus x.bin", "lpt-dump: error: unrecognized option '--bogus'\n"},
      {"x.bin y.bin", "lpt-dump: error: unexpected argument 'y.bin'\n"},
      {"\"\"", "lpt-dump: error: the name given as OUTPUT is empty: give a file name, or - for standard output\n"},
      {"x.bin --port", "lpt-dump: error: --port needs a value\n"},
      {"--verify --reads 3 x.bin", "lpt-dump: error: --verify and --reads cannot be given together\n"}};
  for (const auto& [arguments, words] : messages) {
    const std::string error = Run(arguments).err;
    EXPECT_EQ(error.rfind(words, 0), 0u) << arguments << ": " << error;
  }
  for (const auto& [output, words] :
       {std::pair{" -", "standard output is a terminal"}, {" /dev/fd/3 3>&1", "descriptor 3 is a terminal"}}) {
    const Outcome outcome = Run(chipPort + output, "script -qec \"", "\" /dev/null");
    EXPECT_EQ(outcome.exitCode, 2) << "binary data onto a terminal";
    EXPECT_NE(outcome.out.find(words), std::string::npos) << outcome.out;
  }

  EXPECT_EQ(Run(chipPort + " \"\"").exitCode, 2) << "an empty OUTPUT, as an unset variable gives";
  EXPECT_EQ(Run(chipPort + " " + chipPort + " x.bin").err,
            "lpt-dump: error: --port is given more than once: give it once.\n");
  EXPECT_EQ(Run("--bogus x.bin").err.rfind("lpt-dump: error: ", 0), 0u) << "one message form for every error";
}

// --help for users: 80 columns, and the testing options only with --help-all.
TEST_F(LptDumpTest, TheHelpFitsEightyColumnsAndKeepsTheTestingOptionsForHelpAll) {
  const std::string help = Run("--help").out;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  EXPECT_NE(help.find("  -p, --port PORT "), std::string::npos) << help;
  EXPECT_EQ(help.find("--emulate-flips"), std::string::npos) << help;
  EXPECT_NE(Run("--help-all").out.find("--emulate-flips SHARE"), std::string::npos);
  EXPECT_EQ(help.rfind("Usage: lpt-dump [OPTIONS] OUTPUT\n", 0), 0u) << help;
  EXPECT_NE(help.find("Options:\n  -h, --help            show this help and exit\n"), std::string::npos) << help;
  EXPECT_NE(help.find("Arguments:\n  OUTPUT"), std::string::npos) << help;
  EXPECT_EQ(help.find("\n\n\n"), std::string::npos) << "no double blank line: " << help;
  const std::string version = Run("--version").out;
  EXPECT_NE(version.find("MIT License"), std::string::npos) << version;
  EXPECT_EQ(version.find("LICENSE file"), std::string::npos) << "no such file in every installation: " << version;
}

// The help's layout at the name column's edge: a name that leaves fewer than two spaces before
// the column gets its text on the line below, so a name and its text never run together.
TEST(HelpLayoutTest, ANameThatLeavesLessThanTwoSpacesPutsItsTextOnTheNextLine) {
  const std::string indent(HelpLayout::NameColumn, ' ');
  const struct {
    std::string option;  // "  --" and this is 4 characters longer
    std::string line;
  } cases[] = {
      {"eighteen-letters-x", "  --eighteen-letters-x  text\n"},
      {"nineteen-letters-xy", "  --nineteen-letters-xy\n" + indent + "text\n"},
      {"twenty-letters-xyzzy", "  --twenty-letters-xyzzy\n" + indent + "text\n"},
  };
  for (const auto& edge : cases) {
    CLI::App app;
    CLI::Option* option = app.add_flag("--" + edge.option)->description("text");
    EXPECT_EQ(HelpLayout().make_option(option, false), edge.line);
  }
}

TEST_F(LptDumpTest, OnATerminalTheProgressStaysOneLineOfItsWidthAndNamesAreEscaped) {
  const std::string badName = (folder / "\xff\xfe-missing" / "x.bin").string();
  Outcome outcome = Run(chipPort + " " + badName);
  EXPECT_NE(outcome.err.find("\\xff\\xfe-missing"), std::string::npos) << outcome.err;

  program = LPT_DUMP;  // the progress line as a read at the bus's pace updates it
  outcome = Run(chipPort + " " + (folder / "dump.bin").string(), "script -qec \"stty cols 40;", "\" /dev/null");
  EXPECT_EQ(outcome.exitCode, 0) << outcome.out;
  std::size_t longest = 0;
  std::size_t start = 0;
  const std::size_t progressEnd = outcome.out.find("File Saved");  // the checksums' line may wrap
  for (std::size_t end = 0; end <= progressEnd; ++end) {
    if (end == progressEnd || outcome.out[end] == '\r' || outcome.out[end] == '\n') {
      longest = std::max(longest, end - start);
      start = end + 1;
    }
  }
  EXPECT_LE(longest, 39u) << outcome.out;
}

TEST_F(LptDumpTest, SpecialFilesAreRefusedWithoutWaitingAndStandardOutputKeepsItsContent) {
  ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
  const std::string pipe = (folder / "pipe").string();
  Outcome outcome = Run("--port emulate:" + pipe + " " + (folder / "dump.bin").string(), "timeout 10");
  EXPECT_EQ(outcome.exitCode, 3) << outcome.err;
  EXPECT_NE(outcome.err.find("not a plain file"), std::string::npos);
  outcome = Run(chipPort + " " + pipe, "timeout 60");  // a pipe without a reader: no wait for one
  EXPECT_EQ(outcome.exitCode, 4) << outcome.err;
  EXPECT_NE(outcome.err.find("nothing is reading"), std::string::npos);

  outcome = Run("--port " + (folder / "chip.bin").string() + " " + (folder / "dump.bin").string());
  EXPECT_EQ(outcome.exitCode, 3) << "a port that is a plain file";
  EXPECT_NE(outcome.err.find("is not a device"), std::string::npos) << outcome.err;
  outcome = Run("--port /dev/parport9 " + (folder / "dump.bin").string());
  EXPECT_NE(outcome.err.find("If /dev/parport9 still does not appear"), std::string::npos) << outcome.err;

  const fs::path port = folder / "parport0";
  if (mknod(port.c_str(), S_IFCHR | 0600, makedev(99, 0)) == 0) {
    outcome = Run(chipPort + " " + port.string());
    EXPECT_EQ(outcome.exitCode, 4);
    EXPECT_NE(outcome.err.find("it is a parallel port, and the image is never written to a port"), std::string::npos);
  }

  outcome = Run("-q " + chipPort + " -", "{ printf header;", "; }");
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_TRUE(outcome.out == "header" + ChipImage()) << "what standard output held must stay";

  // Doomed before the read: standard output closed or open only for reading, a link into a
  // missing folder.
  outcome = Run(chipPort + " -", "{", " 1< " + (folder / "chip.bin").string() + "; }");
  EXPECT_EQ(outcome.exitCode, 4) << outcome.err;
  EXPECT_NE(outcome.err.find("open for reading only"), std::string::npos) << outcome.err;
  outcome = Run(chipPort + " -", "{", " >&-; }");
  EXPECT_EQ(outcome.exitCode, 4) << outcome.err;
  EXPECT_NE(outcome.err.find("standard output is closed"), std::string::npos) << outcome.err;
  fs::create_symlink(folder / "missing" / "dump.bin", folder / "link.bin");
  outcome = Run(chipPort + " " + (folder / "link.bin").string(), "timeout 60");
  EXPECT_EQ(outcome.exitCode, 4) << outcome.err;
  EXPECT_NE(outcome.err.find("does not exist"), std::string::npos) << outcome.err;
}

// SIGALRM and SIGPIPE too: the program's own timing borrows no signal that others send.
TEST_F(LptDumpTest, ASignalDuringTheReadEndsItWithTheSignalAndNoOutput) {
  const int output = open((folder / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  for (const int signal : {SIGINT, SIGUSR1, SIGALRM, SIGPIPE}) {
    const pid_t pid =
        Start({"--port", "emulate:" + (folder / "chip.bin").string(), (folder / "dump.bin").string()}, output);
    const bool reading = WaitUntilReading(pid);
    kill(pid, signal);
    EXPECT_TRUE(reading) << "the read had not started (or had ended) before the signal " << signal;
    EXPECT_EQ(Finish(pid), 128 + signal) << signal << ": " << FileContents(folder / "err");
    EXPECT_EQ(FileContents(folder / "err"), "") << signal;
    EXPECT_FALSE(fs::exists(folder / "dump.bin")) << signal;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3) << "a temporary file stayed";
  }
  close(output);
}

// Standard output into a pipe whose reader is gone before the read (no read is wasted), or
// goes during it: exit 4 and a message about the reader, never a silent SIGPIPE.
TEST_F(LptDumpTest, APipeWhoseReaderHasGoneIsAFailedSaveNamedAsSuch) {
  for (const bool goneBeforeTheRead : {true, false}) {
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
    if (goneBeforeTheRead) close(pipeEnds[0]);
    const pid_t pid = Start({"--port", "emulate:" + (folder / "chip.bin").string(), "-"}, pipeEnds[1]);
    close(pipeEnds[1]);
    if (!goneBeforeTheRead) {
      EXPECT_TRUE(WaitUntilReading(pid)) << "the read did not start";
      close(pipeEnds[0]);
    }
    const std::string when = goneBeforeTheRead ? "reader gone before the read" : "reader gone during the read";
    EXPECT_EQ(Finish(pid), 4) << when;
    const std::string err = FileContents(folder / "err");
    EXPECT_NE(err.find("pipe"), std::string::npos) << when << ": " << err;
    EXPECT_EQ(err.find("disk"), std::string::npos) << when << ": " << err;
  }
}

// As coreutils do: help or a version that never reached standard output is exit 1, said.
TEST_F(LptDumpTest, HelpAndVersionOntoAFullDiskExitOneAndSaySo) {
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  for (const char* option : {"--help", "--version"}) {
    EXPECT_EQ(Finish(Start({option}, full)), 1) << option;
    EXPECT_NE(FileContents(folder / "err").find("write error on standard output: No space left on device"),
              std::string::npos)
        << option << ": " << FileContents(folder / "err");
  }
  close(full);
}

// The chip's status, read before the image, tells an empty socket from an erased chip; an
// existing OUTPUT stays as it was when nothing is read.
TEST_F(LptDumpTest, AnEmptySocketOrAStuckChipSavesNothingAndAnErasedOneIsSaved) {
  std::ofstream(folder / "erased.bin") << std::string(2048, '\xFF');
  const std::string erased = "--port emulate:" + (folder / "erased.bin").string();
  struct Case {
    std::string arguments;
    int exitCode;
    const char* said;
    std::string saved;  // "" when the old file must stay
  };
  const Case cases[] = {
      {erased, 0, "warning: the chip answered its status read and is erased: every byte is 0xFF.",
       std::string(2048, '\xFF')},
      {chipPort + " --emulate-chip absent", 6, "error: no chip answered on \"emulate:", ""},
      {chipPort + " --emulate-chip busy", 6, "is busy with a write that never ends: its status 0x01", ""},
      {chipPort + " --emulate-chip busy-for=3", 0, "File Saved", ChipImage()},
      {chipPort + " --emulate-chip status=0x08", 0, "(status 0x08); the upper half (0x400-0x7FF) is protected",
       ChipImage()},
      {chipPort + " --emulate-chip status=0X8C", 0, "all of it (0x000-0x7FF) is protected from writes; WPEN is set",
       ChipImage()},
      {chipPort + " --emulate-chip status=0xFE", 6, "error: no 25160 answered on \"emulate:", ""},
      {chipPort + " --emulate-chip status=0x7C --no-chip-check", 0, "File Saved", ChipImage()},
      {chipPort + " --emulate-chip absent --no-chip-check", 0, "every byte read is 0xFF: no chip answered",
       std::string(2048, '\xFF')},
      {chipPort + " --emulate-chip unpowered", 0, "every byte read is 0x00: the Select line (pin 13) reads high",
       std::string(2048, '\0')},
  };
  for (const Case& c : cases) {
    std::ofstream(folder / "dump.bin") << "the old dump";
    const Outcome outcome = Run(c.arguments + " " + (folder / "dump.bin").string());
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.arguments << ": " << outcome.err;
    EXPECT_NE(outcome.err.find(c.said), std::string::npos) << c.arguments << ": " << outcome.err;
    EXPECT_EQ(FileContents(folder / "dump.bin"), c.saved.empty() ? "the old dump" : c.saved) << c.arguments;
  }
  EXPECT_EQ(Run(chipPort + " -q --emulate-chip status=0x08 " + (folder / "dump.bin").string()).err, "");
  // On a terminal: a status of 0x00 may be SO held low, with no chip at all.
  const Outcome unpowered =
      Run(chipPort + " --emulate-chip unpowered " + (folder / "dump.bin").string(), "script -qec \"", "\" /dev/null");
  EXPECT_NE(unpowered.out.find("Status 0x00: a chip, or SO held low."), std::string::npos) << unpowered.out;
  EXPECT_EQ(Run(chipPort + " " + (folder / "dump.bin").string()).err.find("The chip answered"), std::string::npos)
      << "a chip that answers is no news off a terminal";
}

// Every image saved was read twice and agreed, unless one read is asked for: a flaky clip's
// flipped bits are refused by default and by --verify, and saved as read by --reads 1.
TEST_F(LptDumpTest, TwoReadsMustAgreeUnlessOneIsAskedFor) {
  for (const char* reads : {"", "--verify "}) {
    EXPECT_EQ(Run(reads + chipPort + " " + (folder / "dump.bin").string()).exitCode, 0) << reads;
    EXPECT_EQ(FileContents(folder / "dump.bin"), ChipImage());
    const Outcome outcome = Run(reads + std::string("--emulate-flips 0.01 --emulate-seed 3 ") + chipPort + " " +
                                (folder / "flaky.bin").string());
    EXPECT_EQ(outcome.exitCode, 5) << reads;
    // Two reads: where and in which bits, no majority to speak of, and how to read again.
    EXPECT_NE(outcome.err.find("lpt-dump: error: the 2 reads differ in "), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find(", in bit "), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("most common"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("split evenly"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("--until-agree 10"), std::string::npos) << outcome.err;
    EXPECT_FALSE(fs::exists(folder / "flaky.bin"));
  }
  EXPECT_EQ(Run("--reads 1 --emulate-flips 0.01 --emulate-seed 3 " + chipPort + " " + (folder / "flaky.bin").string())
                .exitCode,
            0);
  EXPECT_NE(FileContents(folder / "flaky.bin"), ChipImage()) << "one read, its flipped bits saved as read";
}

// The report on reads that disagree finds what the emulated chip was told to do.
TEST_F(LptDumpTest, RepeatedReadsReportTheBitsTheWayAndTheTimeOfTheFlips) {
  const std::string output = " " + (folder / "flaky.bin").string();
  Outcome outcome = Run("--reads 5 --emulate-flips 0.01,bit=3,0to1 " + chipPort + output);
  EXPECT_EQ(outcome.exitCode, 5);
  EXPECT_NE(outcome.err.find("\n  bit 3: "), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.err.find("\n  bit ", outcome.err.find("\n  bit 3: ") + 1), std::string::npos) << "bit 3 alone";
  EXPECT_NE(outcome.err.find(" (0 / "), std::string::npos) << "no 1 read as 0: " << outcome.err;
  EXPECT_NE(outcome.err.find("Only bit 3 differs"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("Only 0s read as 1s"), std::string::npos) << outcome.err;

  outcome = Run("--reads 4 --emulate-flips 0.05,reads=3-,addresses=256-511 " + chipPort + output);
  EXPECT_EQ(outcome.exitCode, 5);
  EXPECT_NE(outcome.err.find("Where: all within 0x01"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("reads 3 and 4 stray from the others (the later reads)"), std::string::npos)
      << outcome.err;
  EXPECT_FALSE(fs::exists(folder / "flaky.bin"));
}

TEST_F(LptDumpTest, UntilAgreeSavesTheFirstTwoReadsInARowThatAgree) {
  const std::string output = " " + (folder / "flaky.bin").string();
  // Flips in the first read only: reads 2 and 3 agree, and their image is saved.
  Outcome outcome = Run("--until-agree 10 --emulate-flips 0.05,reads=1-1 " + chipPort + output);
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("Reads 2 and 3 agreed; it took 3 reads (read 1 differed)."), std::string::npos)
      << outcome.err;
  EXPECT_EQ(FileContents(folder / "flaky.bin"), ChipImage());
  outcome = Run("--until-agree 3 --emulate-flips 0.5 " + chipPort + " " + (folder / "never.bin").string());
  EXPECT_EQ(outcome.exitCode, 5);
  EXPECT_NE(outcome.err.find("No two reads in a row agreed. The 3 reads do not agree"), std::string::npos)
      << outcome.err;
  for (const char* wrong : {"--reads 0", "--reads 101", "--until-agree 1", "--until-agree 101", "--verify --reads 3",
                            "--reads 2 --until-agree 3", "--emulate-flips 1.5", "--reads 2x", "--reads abc"}) {
    EXPECT_EQ(Run(std::string(wrong) + " " + chipPort + " x.bin").exitCode, 2) << wrong;
  }
}

TEST_F(LptDumpTest, ASmallerPartsRepeatingContentIsSavedWithAWarningNamingIt) {
  std::string copies;
  for (int copy = 0; copy < 4; ++copy) copies += ChipImage().substr(0, 512);
  std::ofstream(folder / "25040.bin", std::ios::binary) << copies;
  const Outcome outcome =
      Run("--port emulate:" + (folder / "25040.bin").string() + " " + (folder / "dump.bin").string());
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_NE(outcome.err.find("repeats every 512 bytes: the file holds the same 512 bytes four times. The chip is "
                             "likely a 25040 (512 bytes)"),
            std::string::npos)
      << outcome.err;
  EXPECT_EQ(Run(chipPort + " " + (folder / "dump.bin").string()).err.find("warning"), std::string::npos)
      << "no warning for a 25160";
}

TEST_F(LptDumpTest, CompareReadsTheChipAgainstAFileAndSavesNothing) {
  Outcome outcome = Run("--compare " + (folder / "chip.bin").string() + " " + chipPort);
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("are identical"), std::string::npos) << outcome.err;

  std::string other = ChipImage();
  other[5] = static_cast<char>(other[5] ^ 0x01);
  std::ofstream(folder / "other.bin", std::ios::binary) << other;
  outcome = Run("--compare " + (folder / "other.bin").string() + " " + chipPort);
  EXPECT_EQ(outcome.exitCode, 5);
  char values[40];
  std::snprintf(values, sizeof values, "chip 0x%02X, file 0x%02X.", static_cast<unsigned char>(image[5]),
                static_cast<unsigned char>(other[5]));
  EXPECT_NE(outcome.err.find(std::string("differ in 1 byte; at 0x0005 (5): ") + values), std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("\nlpt-dump: The chip and \""), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.err.find("error:"), std::string::npos) << "a difference is an answer, not an error";

  std::ofstream(folder / "short.bin") << "too short";
  outcome = Run("--compare " + (folder / "short.bin").string() + " --port emulate:/no/such/chip.bin");
  EXPECT_EQ(outcome.exitCode, 4) << "refused before the port is opened: " << outcome.err;
  EXPECT_NE(outcome.err.find("exactly 2048 bytes"), std::string::npos) << outcome.err;
  EXPECT_EQ(Run("--compare " + (folder / "chip.bin").string() + " " + chipPort + " out.bin").exitCode, 2);
  for (const char* noFile : {"--compare \"\"", "--compare -", "--compare="}) {
    outcome = Run(std::string(noFile) + " " + chipPort);
    EXPECT_EQ(outcome.exitCode, 2) << noFile;
    EXPECT_NE(outcome.err.find("--compare needs a 2048-byte image file"), std::string::npos) << outcome.err;
  }
  EXPECT_EQ(Run("-q --compare " + (folder / "chip.bin").string() + " " + chipPort).err, "") << "-q: the code answers";
  outcome = Run("--verify --emulate-flips 0.01 --emulate-seed 3 --compare " + (folder / "chip.bin").string() + " " +
                chipPort);
  EXPECT_EQ(outcome.exitCode, 5);
  EXPECT_NE(outcome.err.find("so it was not compared with"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.err.find("Nothing was saved"), std::string::npos) << outcome.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 5) << "nothing saved";
}
}  // namespace
