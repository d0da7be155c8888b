// The file routines' system calls on Windows: CreateFileW with UTF-16 names, WriteFile,
// FlushFileBuffers, CloseHandle; errors as Windows describes them. A handle travels as an int
// (HandleToLong): Windows keeps handle values within 32 bits for this very purpose. The steps are
// Linux's: look once and decide, write a new file beside the target, and before it takes the
// name's place, look again: the folder and the file (or the free name) must be those decided.
// Windows has no unnamed file: the new file gets a fresh name, no other program may write to it,
// and should the save stop it is removed through its handle, wherever its folder went meanwhile.
#include <windows.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwctype>
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
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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
  // Both are whole names already, in the spelling the save decided on.
  const std::wstring source = WideText(from);
  const std::wstring target = WideText(to);
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

// The name made whole, in the one spelling every later step uses: a \\?\ name as it stands (Windows
// takes it literally, trailing dots and spaces included), any other as GetFullPathNameW makes it.
std::wstring WholeName(const std::wstring& name) {
  if (name.rfind(L"\\\\?\\", 0) == 0) return name;
  std::wstring full(GetFullPathNameW(name.c_str(), 0, nullptr, nullptr), L'\0');
  if (full.empty()) return name;
  full.resize(GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  return full;
}

// A file itself, whatever name spells it (another drive letter, \\?\, a linked folder, an 8.3
// name): its volume and its file ID.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  DWORD attributes = 0;
  bool operator==(const FileIdentity& other) const {
    return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
  }
};

std::uint64_t FileNumber(const FileIdentity& identity) {
  return (static_cast<std::uint64_t>(identity.indexHigh) << 32) | identity.indexLow;
}

std::optional<FileIdentity> IdentityOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return std::nullopt;
  return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow,
                      information.dwFileAttributes};
}

// Opens a file or folder only to look at it (no access to its content, shared with everyone).
HANDLE OpenToLook(const std::wstring& name) {
  return CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::optional<FileIdentity> IdentityOf(const std::wstring& name) {
  const HANDLE file = OpenToLook(name);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  const std::optional<FileIdentity> identity = IdentityOf(file);
  CloseHandle(file);
  return identity;
}

// Where an opened file really is, as Windows names it: links followed, 8.3 parts spelled out,
// "\\?\C:\..." ("" when Windows cannot say).
std::wstring FinalNameOf(HANDLE file) {
  std::wstring name(GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS), L'\0');
  if (name.empty()) return L"";
  name.resize(GetFinalPathNameByHandleW(file, name.data(), static_cast<DWORD>(name.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS));
  return name;
}

std::wstring RunningProgram() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

constexpr const char* InpOutRefusal =
    "it is InpOut's DLL, which the program loads to reach the port; an image in its place would leave the port "
    "unreachable";

// The program's own files and InpOut's DLL wherever the program would load it from (or has):
// replaced by an image, the next run could not reach the port or would not start. Known by
// identity, so that no spelling reaches them.
std::string ProtectedFileRefusal(const FileIdentity& target) {
  if (IdentityOf(RunningProgram()) == target) {
    return "it is this program itself, which is running; an image in its place would break it";
  }
  for (const wchar_t* dll : {L"inpout32.dll", L"inpoutx64.dll"}) {
    if (const HMODULE loaded = GetModuleHandleW(dll); loaded != nullptr) {
      std::wstring path(32768, L'\0');
      path.resize(GetModuleFileNameW(loaded, path.data(), static_cast<DWORD>(path.size())));
      if (IdentityOf(path) == target) return InpOutRefusal;
    }
    for (const std::wstring& folder : DllSearchFolders()) {
      if (IdentityOf(folder + dll) == target) return InpOutRefusal;
    }
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
  return "";
}

// Why the image must never be saved under this name, known from the name alone ("" when it may be
// tried): a blank name, a device (Windows resolves those from the name, and opening one already
// drives it: a COM port raises DTR), a hidden stream ("dump.bin:x").
std::string NameRefusal(const std::string& name) {
  // Windows drops the spaces at a name's end: a name of only spaces names nothing.
  const std::string last = name.substr(name.find_last_of("\\/") + 1);
  if (!last.empty() && last.find_first_not_of(' ') == std::string::npos) {
    return "the name is blank (Windows drops the spaces at a name's end, so nothing is left)";
  }
  if (std::string device = DeviceRefusal(name); !device.empty()) return device;
  if (NamesAlternateStream(name)) {
    return "it has a colon after the drive, so the image would go into a hidden stream of another file";
  }
  return "";
}

// Looks at the file the name reaches, opened once: decides on it (a folder, a protected file, a
// read-only file, one held by another program) and sets the target to where it really is, so
// that the link stays a link and every later step names that one file. -1 when refused.
int DecideOnExisting(TFile& file, HANDLE look) {
  const std::optional<FileIdentity> identity = IdentityOf(look);
  std::wstring final = FinalNameOf(look);
  CloseHandle(look);
  if (!identity) return -1;
  if (final.empty()) final = WholeName(WideText(file.name));  // a file system that cannot say
  if ((identity->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return -1;
  }
  if (file.refusal = ProtectedFileRefusal(*identity); !file.refusal.empty()) {
    file.refusalAdvice = "Save under another name, in a folder of your own such as your Documents.";
    return -1;
  }
  if ((identity->attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    file.refusal = "it is read-only";
    file.refusalAdvice =
        "Clear its read-only attribute (the file's Properties, or attrib -r), or save under another name.";
    return -1;
  }
  // The replacement must be allowed to take the file's place: another program that holds it
  // open at all (an editor, a scan), even one that shares it for deletion, makes the rename
  // fail, so it is found now, not after the read: opening it shared with no one fails then.
  const HANDLE existing =
      CreateFileW(final.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (existing == INVALID_HANDLE_VALUE) return -1;
  const bool same = IdentityOf(existing) == identity;
  CloseHandle(existing);
  if (!same) {
    file.refusal = "another file took the name while it was looked at";
    file.refusalAdvice = "Try again.";
    return -1;
  }
  file.target = Utf8Text(final);
  file.replacing = true;
  file.decidedVolume = identity->volume;
  file.decidedFile = FileNumber(*identity);
  return 0;
}

// A name that reaches no file: its folder must exist, and the name must fit in it (255 characters
// at most), or the save would fail only after the read.
int DecideOnNew(TFile& file) {
  const std::wstring whole = WholeName(WideText(file.name));
  const std::wstring base = whole.substr(whole.find_last_of(L"\\/") + 1);
  std::wstring lowerBase = base;
  for (wchar_t& c : lowerBase) c = static_cast<wchar_t>(std::towlower(c));
  if (lowerBase == L"inpout32.dll" || lowerBase == L"inpoutx64.dll") {
    file.refusal = InpOutRefusal;  // a folder the program looks in for it would hold an image by that name
    file.refusalAdvice = "Save under another name, in a folder of your own such as your Documents.";
    return -1;
  }
  if (base.size() > 255) {
    file.refusal =
        "the name is " + std::to_string(base.size()) + " characters long, and a name in a folder holds 255 at most";
    file.refusalAdvice = "Choose a shorter name, then try again.";
    return -1;
  }
  if (const std::string folder = FolderOf(file.name);
      !folder.empty() && GetFileAttributesW(WideText(folder).c_str()) == INVALID_FILE_ATTRIBUTES) {
    const bool root = folder.size() <= 3 && folder.size() >= 2 && folder[1] == ':';
    file.refusal = "the folder " + QuotedName(root ? folder : folder.substr(0, folder.size() - 1)) + " does not exist";
    file.refusalAdvice = "Choose a folder that exists, then try again.";
    return -1;
  }
  file.target = Utf8Text(whole);
  return 0;
}
}  // namespace

int OpenWhereTheImageGoes(TFile& file) {
  file.target = file.name;
  if (file.refusal = NameRefusal(file.name); !file.refusal.empty()) return -1;
  const HANDLE look = OpenToLook(WideText(file.name));
  const DWORD lookError = GetLastError();
  if (look == INVALID_HANDLE_VALUE && lookError != ERROR_FILE_NOT_FOUND && lookError != ERROR_PATH_NOT_FOUND) return -1;
  if ((look != INVALID_HANDLE_VALUE ? DecideOnExisting(file, look) : DecideOnNew(file)) < 0) return -1;
  // The folder, held open to be known again: one moved away during the read stays this one.
  const std::string folder = FolderOf(file.target);
  const HANDLE held = OpenToLook(WideText(folder.empty() ? "." : folder));
  if (held == INVALID_HANDLE_VALUE) return -1;
  file.folder = HandleToLong(held);
  const int descriptor = AtAFreshName(
      file, [&](const std::string& name) { return InstalledFileCalls().open(file.folder, name.c_str(), 0, 0); });
  if (descriptor < 0 && GetLastError() == ERROR_ACCESS_DENIED) {
    // The file may be writable, but a safe save needs a new file beside it.
    file.refusal = "the folder " + QuotedName(folder.empty() ? "." : folder) +
                   " does not let you make a new file in it, which a safe save needs (the image goes to a new file "
                   "beside the name, which then takes the name's place)";
    file.refusalAdvice = "Choose a folder you may write to, such as your Documents.";
  }
  if (descriptor < 0) LetFolderGo(file);
  return descriptor;
}

// The image's file is still open, so a save that stops now removes it through its handle.
void PutInPlace(TFile& file) {
  const std::optional<FileIdentity> folderNow = IdentityOf(WideText(FolderOf(file.target)));
  const std::optional<FileIdentity> nameNow = IdentityOf(WideText(file.target));
  const bool sameFile =
      file.replacing ? nameNow && nameNow->volume == file.decidedVolume && FileNumber(*nameNow) == file.decidedFile
                     : !nameNow;
  if (!sameFile || !folderNow || folderNow != IdentityOf(AsHandle(file.folder))) return NameChanged(file);
  const bool closed = InstalledFileCalls().close(file.descriptor) == 0;
  file.lastOperation = "close";
  file.ioResult = closed ? 0 : LastOsError();
  file.descriptor = -1;
  if (!closed) return;
  const bool placed =
      InstalledFileCalls().rename(file.folder, file.temporary.c_str(), file.target.c_str(), file.replacing) == 0;
  if (!placed && NameWasTaken(LastOsError())) return NameTaken(file);
  file.lastOperation = "replace";
  file.ioResult = placed ? 0 : LastOsError();
  if (placed) file.temporary.clear();  // MOVEFILE_WRITE_THROUGH made it lasting
}

void RemoveImageFile(TFile& file) {
  FILE_DISPOSITION_INFO remove{TRUE};
  if (file.descriptor < 0 ||
      !SetFileInformationByHandle(AsHandle(file.descriptor), FileDispositionInfo, &remove, sizeof remove)) {
    DeleteFileW(WideText(file.temporary).c_str());
  }
}

void LetFolderGo(TFile& file) {
  if (file.folder < 0) return;
  CloseHandle(AsHandle(file.folder));
  file.folder = -1;
}

void ReadyForWriting(int) {}

bool NothingToFlush(int) { return false; }

bool NameWasTaken(int osError) { return osError == ERROR_FILE_EXISTS || osError == ERROR_ALREADY_EXISTS; }

const char PathSeparators[] = "\\/";

std::size_t NameLength(const std::string& name) { return WideText(name).size(); }

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
