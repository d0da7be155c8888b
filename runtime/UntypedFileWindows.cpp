// SPDX-License-Identifier: MIT
// The file routines' system calls on Windows: CreateFileW with UTF-16 names, WriteFile,
// FlushFileBuffers, CloseHandle; errors as Windows describes them. A handle travels as an int
// (HandleToLong): Windows keeps handle values within 32 bits for this very purpose. The steps are
// Linux's: look once and decide, write a new file beside the target, and before it takes the
// name's place, look again: the folder and the file (or the free name) must be those decided.
// Windows has no unnamed file: the new file gets a fresh name, no other program may write to it,
// and should the save stop it is removed through its handle, wherever its folder went meanwhile.
#include <algorithm>
#include <cwctype>
#include <vector>

#include "runtime/FileSystemCalls.h"
#include "runtime/QuotedName.h"
#include "runtime/WindowsFiles.h"
#include "runtime/WindowsNames.h"
#include "runtime/WindowsText.h"

namespace {
HANDLE AsHandle(int descriptor) { return LongToHandle(descriptor); }

void LetDecidedGo(TFile& file) {
  if (file.decided >= 0) CloseHandle(AsHandle(file.decided));
  file.decided = -1;
}

// Only ever a new file: the temporary file of a save, which must not meet one of its own name.
// Not shared for deletion, so no other program can rename or remove it while the save holds it;
// the save renames it, and removes it if need be, through this handle.
int CreateNewFile(int, const char* path, int, mode_t) {
  const std::wstring name = WideText(path);
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE | DELETE | WRITE_DAC, FILE_SHARE_READ, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  // Windows says "path not found" for a name beyond its length limit (without \\?\ and long paths
  // switched on): say what is wrong.
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND && name.rfind(L"\\\\?\\", 0) != 0 &&
      WholeName(name).size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
  }
  return HandleToLong(file);
}

// Puts the image's file, open as `file`, at the whole name `to` in one step, whatever its own name
// is by then: over the file there when `replacing`, else only while the name is free. The name
// goes to the system as it takes it there: "\??\C:\...", "\??\UNC\server\...".
int RenameByHandle(int, int file, const char*, const char* to, bool replacing) {
  const std::wstring whole = WideText(to);
  const bool literal = whole.rfind(L"\\\\?\\", 0) == 0 || whole.rfind(L"\\\\.\\", 0) == 0;
  const std::wstring name = literal                        ? L"\\??\\" + whole.substr(4)
                            : whole.rfind(L"\\\\", 0) == 0 ? L"\\??\\UNC\\" + whole.substr(2)
                                                           : L"\\??\\" + whole;
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = replacing;
  rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), rename->FileName);
  return SetFileInformationByHandle(AsHandle(file), FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) ? 0 : -1;
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
  CloseHandle(existing);
  // Then held open, shared with everyone, until the step: no other file can take its identity
  // meanwhile, even one made at its name after it was removed.
  const HANDLE held = CreateFileW(final.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (held == INVALID_HANDLE_VALUE) return false;
  file.decided = HandleToLong(held);
  if (IdentityOf(held) != identity) return Refuse(file, Refusal::TakenWhileLooked);
  file.target = Utf8Text(final);
  file.replacing = true;
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
  static const FileCalls calls{CreateNewFile, WriteToFile, FlushToDisk, CloseFileHandle, RenameByHandle};
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

// The look before the step: the folder the name's folder part reaches must be the one held, and
// the name must reach the decided file (compared with the one held open) or, for a new name,
// nothing. Then the image's file is put in place through its handle, whatever its name is now.
void PutInPlace(TFile& file) {
  const std::optional<FileIdentity> folderNow = IdentityOf(WideText(FolderPartOf(file.target)));
  const std::optional<FileIdentity> nameNow = IdentityOf(WideText(file.target));
  if (!folderNow || folderNow != IdentityOf(AsHandle(file.folder))) return NameChanged(file);
  if (!file.replacing && nameNow) return NameTaken(file);
  if (file.replacing && (!nameNow || nameNow != IdentityOf(AsHandle(file.decided)))) return NameChanged(file);
  if (file.replacing) CarryOver(AsHandle(file.decided), AsHandle(file.descriptor));
  // The image stays open under a second handle, to be put in place through it.
  HANDLE held = INVALID_HANDLE_VALUE;
  const HANDLE process = GetCurrentProcess();
  if (RecordCall(
          file, "replace",
          !DuplicateHandle(process, AsHandle(file.descriptor), process, &held, 0, FALSE, DUPLICATE_SAME_ACCESS))) {
    return;
  }
  const bool closed = InstalledFileCalls().close(file.descriptor) == 0;
  file.descriptor = HandleToLong(held);
  if (RecordCall(file, "close", !closed)) return;
  // The decided file is let go only now: a file that is open cannot be replaced.
  LetDecidedGo(file);
  const bool placed = InstalledFileCalls().rename(file.folder, file.descriptor, file.temporary.c_str(),
                                                  file.target.c_str(), file.replacing) == 0;
  if (!placed && NameWasTaken(LastOsError())) return NameTaken(file);
  if (RecordCall(file, "replace", !placed)) return;
  file.temporary.clear();
  FlushFileBuffers(held);  // the step lasting on the disk, as MOVEFILE_WRITE_THROUGH made it
  CloseHandle(held);
  file.descriptor = -1;
}

void RemoveHeldFile(int, const char*, int descriptor) {
  FILE_DISPOSITION_INFO remove{TRUE};
  SetFileInformationByHandle(AsHandle(descriptor), FileDispositionInfo, &remove, sizeof remove);
}

void LetFolderGo(TFile& file) {
  LetDecidedGo(file);
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

// Windows has no names for a process's descriptors (CON, CONOUT$ are refused as devices).
int OwnDescriptorNamed(const std::string&) { return -1; }
