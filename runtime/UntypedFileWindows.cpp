// SPDX-License-Identifier: MIT
// The file routines' system calls on Windows: CreateFileW with UTF-16 names, WriteFile,
// FlushFileBuffers, CloseHandle; errors as Windows describes them. A handle travels as an int
// (HandleToLong): Windows keeps handle values within 32 bits for this very purpose. The steps are
// Linux's: look once and decide, write a new file beside the target, and before it takes the
// name's place, look again: the folder and the file (or the free name) must be those decided.
// Windows has no unnamed file: the new file gets a fresh name, no other program may write to it,
// and should the save stop it is removed through its handle, wherever its folder went meanwhile.
#include <cwctype>

#include "runtime/FileSystemCalls.h"
#include "runtime/QuotedName.h"
#include "runtime/WindowsFiles.h"
#include "runtime/WindowsNames.h"
#include "runtime/WindowsText.h"

namespace {
HANDLE AsHandle(int descriptor) { return LongToHandle(descriptor); }

// Only ever a new file: the temporary file of a save, which must not meet one of its own name.
// Shared for deletion, so that a Ctrl+C's last words can remove it while it is still open.
int CreateNewFile(int, const char* path, int, mode_t) {
  const std::wstring name = WideText(path);
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  // Windows says "path not found" for a name beyond its length limit (without \\?\ and long paths
  // switched on): say what is wrong.
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND && name.rfind(L"\\\\?\\", 0) != 0 &&
      WholeName(name).size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
  }
  return HandleToLong(file);
}

// Puts the new file in the target's place in one step. An existing target is replaced as Windows
// replaces a file (ReplaceFileW): the new file takes on its attributes (hidden, system), its ACL,
// its creation time and its short name. A new name is a rename that returns only once the change
// is on the disk, and only while the name is free.
int PutInPlaceByName(int, const char* from, const char* to, bool replacing) {
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

// Why the image must never be saved under this name, known from the name alone: a blank name, a
// device (Windows resolves those from the name, and opening one already drives it: a COM port
// raises DTR), a hidden stream ("dump.bin:x"), a . part in a \\?\ name. False when refused.
bool NameMayBeTried(TFile& file) {
  // Windows drops the spaces at a name's end: a name of only spaces names nothing.
  const std::string last = file.name.substr(file.name.find_last_of("\\/") + 1);
  if (!last.empty() && last.find_first_not_of(' ') == std::string::npos) return Refuse(file, Refusal::BlankName);
  if (file.refusal = DeviceRefusal(file.name); !file.refusal.empty()) return false;
  // A \\?\ name is taken literally: a "." or ".." part in it names no folder.
  const std::string parts = file.name + "\\";
  if (file.name.rfind("\\\\?\\", 0) == 0 &&
      (parts.find("\\.\\") != std::string::npos || parts.find("\\..\\") != std::string::npos)) {
    return Refuse(file, Refusal::LiteralDotPart);
  }
  return !NamesAlternateStream(file.name) || Refuse(file, Refusal::AlternateStream);
}

// Looks at the file the name reaches, opened once: decides on it (a folder, a protected file, a
// read-only file, one held by another program) and sets the target to where it really is, so
// that the link stays a link and every later step names that one file. False when refused.
bool DecideOnExisting(TFile& file, HANDLE look) {
  const std::optional<FileIdentity> identity = IdentityOf(look);
  std::wstring final = FinalNameOf(look);
  CloseHandle(look);
  if (!identity) return false;
  if (final.empty()) final = WholeName(WideText(file.name));  // a file system that cannot say
  if ((identity->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return SetLastError(ERROR_ACCESS_DENIED), false;
  if (const Refusal own = ProgramFileRefusal(*identity); own != Refusal::None) return Refuse(file, own);
  if ((identity->attributes & FILE_ATTRIBUTE_READONLY) != 0) return Refuse(file, Refusal::ReadOnlyFile);
  // The replacement must be allowed to take the file's place: another program that holds it
  // open at all (an editor, a scan), even one that shares it for deletion, makes the rename
  // fail, so it is found now, not after the read: opening it shared with no one fails then.
  const HANDLE existing =
      CreateFileW(final.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (existing == INVALID_HANDLE_VALUE) return false;
  const bool same = IdentityOf(existing) == identity;
  CloseHandle(existing);
  if (!same) return Refuse(file, Refusal::TakenWhileLooked);
  file.target = Utf8Text(final);
  file.replacing = true;
  file.decidedVolume = identity->volume;
  file.decidedFile = identity->number;
  return true;
}

// A name that reaches no file: its folder must exist, and the name must fit in it (255 characters
// at most), or the save would fail only after the read. No image is named as InpOut's DLL: a
// folder the program looks in for it would hold an image by that name.
bool DecideOnNew(TFile& file) {
  const std::wstring whole = WholeName(WideText(file.name));
  std::wstring base = whole.substr(whole.find_last_of(L"\\/") + 1);
  if (base.size() > 255) return Refuse(file, Refusal::NameTooLong, std::to_string(base.size()));
  for (wchar_t& c : base) c = static_cast<wchar_t>(std::towlower(c));
  if (base == L"inpout32.dll" || base == L"inpoutx64.dll") return Refuse(file, Refusal::InpOutDll);
  if (const std::string folder = FolderPartOf(file.name);
      !folder.empty() && GetFileAttributesW(WideText(folder).c_str()) == INVALID_FILE_ATTRIBUTES) {
    const bool root = folder.size() <= 3 && folder.size() >= 2 && folder[1] == ':';
    return Refuse(file, Refusal::FolderMissing, QuotedName(root ? folder : folder.substr(0, folder.size() - 1)));
  }
  file.target = Utf8Text(whole);
  return true;
}
}  // namespace

const FileCalls& RealFileCalls() {
  static const FileCalls calls{CreateNewFile, WriteToFile, FlushToDisk, CloseFileHandle, PutInPlaceByName};
  return calls;
}

int LastOsError() { return static_cast<int>(GetLastError()); }

bool NameWasTaken(int osError) { return osError == ERROR_FILE_EXISTS || osError == ERROR_ALREADY_EXISTS; }

int OpenStandardOutput(TFile&) {
  HANDLE duplicate = INVALID_HANDLE_VALUE;
  const HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, GetStdHandle(STD_OUTPUT_HANDLE), process, &duplicate, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    return -1;
  }
  return HandleToLong(duplicate);
}

int OpenWhereTheImageGoes(TFile& file) {
  file.target = file.name;
  if (!NameMayBeTried(file)) return -1;
  const HANDLE look = OpenToLook(WideText(file.name));
  const DWORD lookError = GetLastError();
  if (look == INVALID_HANDLE_VALUE && lookError != ERROR_FILE_NOT_FOUND && lookError != ERROR_PATH_NOT_FOUND) return -1;
  if (!(look != INVALID_HANDLE_VALUE ? DecideOnExisting(file, look) : DecideOnNew(file))) return -1;
  // The folder, held open to be known again: one moved away during the read stays this one.
  const std::string folder = FolderPartOf(file.target);
  const HANDLE held = OpenToLook(WideText(folder));
  if (held == INVALID_HANDLE_VALUE) return -1;
  file.folder = HandleToLong(held);
  const int descriptor = AtAFreshName(
      file, [&](const std::string& name) { return InstalledFileCalls().open(file.folder, name.c_str(), 0, 0); });
  // The file may be writable, but a safe save needs a new file beside it.
  if (descriptor < 0 && GetLastError() == ERROR_ACCESS_DENIED) {
    Refuse(file, Refusal::FolderNotWritable,
           QuotedName(FolderPartOf(file.name).empty() ? "." : FolderPartOf(file.name)));
  }
  return descriptor;
}

// The image's file is still open during the look, so a save that stops there removes it through
// its handle.
void PutInPlace(TFile& file) {
  const std::optional<FileIdentity> folderNow = IdentityOf(WideText(FolderPartOf(file.target)));
  const std::optional<FileIdentity> nameNow = IdentityOf(WideText(file.target));
  const bool sameFile = file.replacing
                            ? nameNow && nameNow->volume == file.decidedVolume && nameNow->number == file.decidedFile
                            : !nameNow;
  if (!sameFile || !folderNow || folderNow != IdentityOf(AsHandle(file.folder))) return NameChanged(file);
  const bool closed = InstalledFileCalls().close(file.descriptor) == 0;
  file.descriptor = -1;
  if (Record(file, "close", !closed)) return;
  const bool placed =
      InstalledFileCalls().rename(file.folder, file.temporary.c_str(), file.target.c_str(), file.replacing) == 0;
  if (!placed && NameWasTaken(LastOsError())) return NameTaken(file);
  if (!Record(file, "replace", !placed)) file.temporary.clear();  // MOVEFILE_WRITE_THROUGH made it lasting
}

void RemoveImageFile(TFile& file) {
  FILE_DISPOSITION_INFO remove{TRUE};
  if (file.descriptor < 0 ||
      !SetFileInformationByHandle(AsHandle(file.descriptor), FileDispositionInfo, &remove, sizeof remove)) {
    RemoveFile(file.folder, file.temporary.c_str());
  }
}

void LetFolderGo(TFile& file) {
  if (file.folder >= 0) CloseHandle(AsHandle(file.folder));
  file.folder = -1;
}

void ReadyForWriting(int) {}

bool NothingToFlush(int) { return false; }

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
