// The file routines' system calls on Windows: CreateFileW with UTF-16 names, WriteFile,
// FlushFileBuffers, CloseHandle; errors as Windows describes them. A handle travels as an int
// (HandleToLong): Windows keeps handle values within 32 bits for this very purpose.
#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "runtime/FileSystemCalls.h"
#include "runtime/QuotedName.h"
#include "runtime/WindowsFolders.h"
#include "runtime/WindowsNames.h"
#include "runtime/WindowsText.h"

namespace {
HANDLE AsHandle(int descriptor) { return LongToHandle(descriptor); }

// Whether the name, made absolute, is longer than Windows takes without long paths switched on.
bool LongerThanWindowsAllows(const std::wstring& name) {
  if (name.rfind(L"\\\\?\\", 0) == 0) return false;  // \\?\ names have no such limit
  const DWORD length = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  return length == 0 || length > MAX_PATH;
}

// Only ever a new file: the temporary file of a save, which must not meet one of its own name.
// Shared for deletion, so that a Ctrl+C's last words can remove it while it is still open.
int CreateNewFile(int, const char* path, int, mode_t) {
  const std::wstring name = WideText(path);
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  // Windows says "path not found" for a name beyond its length limit: say what is wrong.
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND && LongerThanWindowsAllows(name)) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
  }
  return HandleToLong(file);
}

// Puts the new file in the target's place in one step. An existing target is replaced as Windows
// replaces a file (ReplaceFileW): the new file takes on its attributes (hidden, system), its ACL,
// its creation time and its short name. A new name is a rename that returns only once the change
// is on the disk, and only while the name is free.
int PutInPlace(int, const char* from, const char* to, bool replacing) {
  // Full names: some ReplaceFileW implementations (Wine's) fail on relative ones.
  const auto full = [](const char* name) {
    const std::wstring wide = WideText(name);
    std::wstring path(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    if (path.empty()) return wide;
    path.resize(GetFullPathNameW(wide.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr));
    return path;
  };
  const std::wstring source = full(from);
  const std::wstring target = full(to);
  if (const DWORD attributes = GetFileAttributesW(target.c_str()); replacing && attributes != INVALID_FILE_ATTRIBUTES) {
    // Given to the new file first as well, so that a hidden or system file stays one wherever
    // ReplaceFileW merges less (Wine's).
    constexpr DWORD Kept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if ((attributes & Kept) != 0) SetFileAttributesW(source.c_str(), attributes & Kept);
    return ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               ? 0
               : -1;
  }
  return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : -1;
}

ssize_t WriteToFile(int descriptor, const void* buffer, size_t count) {
  DWORD written = 0;
  if (!WriteFile(AsHandle(descriptor), buffer, static_cast<DWORD>(count), &written, nullptr) && written == 0) return -1;
  return static_cast<ssize_t>(written);
}

int FlushToDisk(int descriptor) {
  // A pipe or console holds nothing to flush; FlushFileBuffers would wait for a pipe's reader.
  if (GetFileType(AsHandle(descriptor)) != FILE_TYPE_DISK) return 0;
  return FlushFileBuffers(AsHandle(descriptor)) ? 0 : -1;
}

int CloseFileHandle(int descriptor) { return CloseHandle(AsHandle(descriptor)) ? 0 : -1; }

}  // namespace

const FileCalls& RealFileCalls() {
  static const FileCalls calls{CreateNewFile, WriteToFile, FlushToDisk, CloseFileHandle, PutInPlace};
  return calls;
}

int LastOsError() { return static_cast<int>(GetLastError()); }

int OpenStandardOutput(TFile&) {
  HANDLE duplicate = INVALID_HANDLE_VALUE;
  const HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, GetStdHandle(STD_OUTPUT_HANDLE), process, &duplicate, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    return -1;
  }
  return HandleToLong(duplicate);
}

namespace {
std::string FolderOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : "";
  return path.substr(0, separator + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string FullPath(const std::string& name) {
  const std::wstring wide = WideText(name);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return name;
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), length, full.data(), nullptr));
  return Utf8Text(full);
}

// A file itself, whatever name spells it (another drive letter, \\?\, a linked folder, an 8.3
// name): its volume and its file ID.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::wstring& name) {
  const HANDLE file = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  if (!known) return std::nullopt;
  return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
}

std::wstring RunningProgram() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

// The name with every 8.3 part spelled out (INPO~ZOJ.DLL is inpoutx64.dll), where it exists.
std::string LongName(const std::string& name) {
  const std::wstring wide = WideText(name);
  std::wstring full(GetLongPathNameW(wide.c_str(), nullptr, 0), L'\0');
  if (full.empty()) return name;
  full.resize(GetLongPathNameW(wide.c_str(), full.data(), static_cast<DWORD>(full.size())));
  return Utf8Text(full);
}

constexpr const char* InpOutRefusal =
    "it is InpOut's DLL, which the program loads to reach the port; an image in its place would leave the port "
    "unreachable";

// InpOut's DLL, wherever it lies, and the program's own files: replaced by an image, the next run
// could not reach the port or would not start. Known by name (spelled out in full) and, for what
// exists, by identity, so that no other spelling reaches them.
std::string ProgramFileRefusal(const std::string& name) {
  const std::string full = Lower(LongName(FullPath(name)));
  const std::string base = full.substr(full.find_last_of("\\/") + 1);
  if (base == "inpout32.dll" || base == "inpoutx64.dll") return InpOutRefusal;
  const std::optional<FileIdentity> target = IdentityOf(WideText(name));
  if (!target) return "";
  if (IdentityOf(RunningProgram()) == target) {
    return "it is this program itself, which is running; an image in its place would break it";
  }
  for (const wchar_t* pattern : {L"*.exe", L"*.dll"}) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((ProgramFolder() + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    bool same = false;
    do {
      same = IdentityOf(ProgramFolder() + found.cFileName) == target;
    } while (!same && FindNextFileW(search, &found));
    FindClose(search);
    if (same) return "it is one of the program's own files; an image in its place would break the program";
  }
  for (const char* dll : {"inpout32.dll", "inpoutx64.dll"}) {
    if (IdentityOf(SystemFolder() + WideText(dll)) == target) return InpOutRefusal;
  }
  return "";
}

// "dump.bin.lpt-tool-unfinished-4f1c2a": beside the target, named for what it is should a crash
// leave it behind. It fits wherever the name fits: one name holds at most 255 UTF-16 units, so
// the name's part is shortened where needed, never between the two halves of a character.
std::string TemporaryNameFor(const std::string& target, unsigned number) {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".lpt-tool-unfinished-%06x", number & 0xFFFFFFu);
  const std::size_t slash = target.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::wstring base = WideText(target.substr(folder.size()));
  const std::size_t room = 255 - std::strlen(suffix);
  if (base.size() > room) {
    std::size_t cut = room;
    if (cut > 0 && base[cut - 1] >= 0xD800 && base[cut - 1] <= 0xDBFF) --cut;  // a pair's first half
    base.resize(cut);
  }
  return folder + Utf8Text(base) + suffix;
}

// Why the image must never be saved under this name, "" when it may be tried: a blank name, a
// device, a hidden stream ("dump.bin:x"), InpOut's DLL and the program's own files.
std::string SaveRefusal(const std::string& name) {
  // Windows drops the spaces at a name's end: a name of only spaces names nothing.
  const std::string last = name.substr(name.find_last_of("\\/") + 1);
  if (!last.empty() && last.find_first_not_of(' ') == std::string::npos) {
    return "the name is blank (Windows drops the spaces at a name's end, so nothing is left)";
  }
  if (std::string device = DeviceRefusal(name); !device.empty()) return device;
  if (NamesAlternateStream(name)) {
    return "it has a colon after the drive, so the image would go into a hidden stream of another file";
  }
  return ProgramFileRefusal(name);
}
}  // namespace

int OpenForSaving(TFile& file) {
  file.target = file.name;
  if (file.refusal = SaveRefusal(file.name); !file.refusal.empty()) return -1;
  const std::wstring wide = WideText(file.name);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (const std::string folder = FolderOf(file.name);
      !exists && !folder.empty() && GetFileAttributesW(WideText(folder).c_str()) == INVALID_FILE_ATTRIBUTES) {
    const bool root = folder.size() <= 3 && folder.size() >= 2 && folder[1] == ':';
    file.refusal = "the folder " + QuotedName(root ? folder : folder.substr(0, folder.size() - 1)) + " does not exist";
    file.refusalAdvice = "Choose a folder that exists, then try again.";
    return -1;
  }
  if (exists) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      SetLastError(ERROR_ACCESS_DENIED);
      return -1;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      file.refusal = "it is read-only";
      file.refusalAdvice =
          "Clear its read-only attribute (the file's Properties, or attrib -r), or save under "
          "another name.";
      return -1;
    }
    // The replacement must be allowed to take the file's place: another program that holds it
    // open at all (an editor, a scan), even one that shares it for deletion, makes the rename
    // fail, so it is found now, not after the read: opening it shared with no one fails then.
    const HANDLE existing =
        CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing == INVALID_HANDLE_VALUE) return -1;
    CloseHandle(existing);
  }
  const unsigned start = static_cast<unsigned>(GetTickCount()) ^ (static_cast<unsigned>(GetCurrentProcessId()) << 8);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryNameFor(file.target, start + attempt * 7919u);
    const int descriptor = InstalledFileCalls().open(file.folder, name.c_str(), 0, 0);
    if (descriptor != HandleToLong(INVALID_HANDLE_VALUE)) {
      file.temporary = name;
      file.replacing = exists;
      return descriptor;
    }
    if (GetLastError() == ERROR_ACCESS_DENIED) {
      // The file may be writable, but a safe save needs a new file beside it.
      const std::string folder = FolderOf(file.target);
      file.refusal = "the folder " + QuotedName(folder.empty() ? "." : folder) +
                     " does not let you make a new file in it, which a safe save needs (the image goes to a "
                     "temporary file beside the name, which then takes the name's place)";
      file.refusalAdvice = "Choose a folder you may write to, such as your Documents.";
      return -1;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return -1;
  }
  return -1;
}

void ReadyForWriting(int) {}

void MakeRenameLasting(const TFile&) {}  // MOVEFILE_WRITE_THROUGH did

bool NameLeadsWhereDecided(const TFile&) { return true; }

void LetFolderGo(TFile&) {}

bool NothingToFlush(int) { return false; }

// LPT1 to LPT9 and PRN: Windows sends what is written there to the printer port.
bool IsParallelPortFile(const std::string& name) {
  const std::string device = WindowsDeviceName(name);
  return device == "PRN" || device.rfind("LPT", 0) == 0;
}

std::string DeviceRefusal(const std::string& name) {
  if (IsParallelPortFile(name)) return ParallelPortRefusal;
  const std::string device = WindowsDeviceName(name);
  return device.empty() ? "" : "it is the Windows device " + device + ", not a file";
}

void RemoveFile(int, const char* name) { DeleteFileW(WideText(name).c_str()); }

// Windows has no names for a process's descriptors (CON, CONOUT$ are refused as devices).
int OwnDescriptorNamed(const std::string&) { return -1; }
