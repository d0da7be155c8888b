// lpt-dump's entry on Windows, which hands the arguments over in UTF-16; lpt-dump takes them in
// UTF-8, so that any file name, whatever its characters, reaches CreateFileW intact.
#include <string>
#include <vector>

#include "cli/LptDump.h"
#include "runtime/WindowsText.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(Utf8Text(argv[i]));
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return LptDumpMain(argc, pointers.data());
}
