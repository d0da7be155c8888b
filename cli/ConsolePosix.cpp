#include <sys/stat.h>
#include <unistd.h>

#include "cli/Console.h"
#include "cli/LptDump.h"

int main(int argc, char** argv) { return LptDumpMain(argc, argv); }

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

void EndLineOnStandardError() { (void)!write(STDERR_FILENO, "\n", 1); }

void RemoveFile(const char* utf8Name) { unlink(utf8Name); }

long long FileSizeOf(const std::string& utf8Name) {
  struct stat status {};
  return stat(utf8Name.c_str(), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}
