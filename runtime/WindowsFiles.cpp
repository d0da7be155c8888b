// SPDX-License-Identifier: MIT
#include "runtime/WindowsFiles.h"

#include <aclapi.h>

#include "runtime/WindowsFolders.h"

std::optional<FileIdentity> IdentityOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return std::nullopt;
  return FileIdentity{information.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow,
                      information.dwFileAttributes};
}

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

std::wstring FinalNameOf(HANDLE file) {
  std::wstring name(GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS), L'\0');
  if (name.empty()) return L"";
  name.resize(GetFinalPathNameByHandleW(file, name.data(), static_cast<DWORD>(name.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS));
  return name;
}

std::wstring WholeName(const std::wstring& name) {
  if (name.rfind(L"\\\\?\\", 0) == 0) return name;
  std::wstring full(GetFullPathNameW(name.c_str(), 0, nullptr, nullptr), L'\0');
  if (full.empty()) return name;
  full.resize(GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  return full;
}

std::string FolderPartOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : "";
  return path.substr(0, separator + 1);
}

namespace {
std::wstring ModulePath(HMODULE module) {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
  return path;
}
}  // namespace

// Known by identity, so that no spelling reaches them.
Refusal ProgramFileRefusal(const FileIdentity& file) {
  if (IdentityOf(ModulePath(nullptr)) == file) return Refusal::ProgramItself;
  for (const wchar_t* dll : {L"inpout32.dll", L"inpoutx64.dll"}) {
    if (const HMODULE loaded = GetModuleHandleW(dll); loaded != nullptr && IdentityOf(ModulePath(loaded)) == file) {
      return Refusal::InpOutDll;
    }
    for (const std::wstring& folder : DllSearchFolders()) {
      if (IdentityOf(folder + dll) == file) return Refusal::InpOutDll;
    }
  }
  // The programs beside it (the window's and lpt-dump's); the zip ships no DLL but InpOut's.
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW((ProgramFolder() + L"*.exe").c_str(), &found);
  bool same = false;
  for (bool more = search != INVALID_HANDLE_VALUE; more && !same; more = FindNextFileW(search, &found)) {
    same = IdentityOf(ProgramFolder() + found.cFileName) == file;
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return same ? Refusal::ProgramsOwnFile : Refusal::None;
}

// Best effort, as ReplaceFileW's: a file system that keeps none of them has nothing to give.
void CarryOver(HANDLE old, HANDLE image) {
  FILE_BASIC_INFO basic{};
  if (GetFileInformationByHandleEx(old, FileBasicInfo, &basic, sizeof basic)) {
    constexpr DWORD Kept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO given{};  // a time or attributes of 0 are left as they are
    given.CreationTime = basic.CreationTime;
    given.FileAttributes = basic.FileAttributes & Kept;
    SetFileInformationByHandle(image, FileBasicInfo, &given, sizeof given);
  }
  PACL access = nullptr;
  PSECURITY_DESCRIPTOR security = nullptr;
  if (GetSecurityInfo(old, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &access, nullptr, &security) !=
      ERROR_SUCCESS) {
    return;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(security, &control, &revision);
  const SECURITY_INFORMATION inherited =
      (control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
  SetSecurityInfo(image, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | inherited, nullptr, nullptr, access, nullptr);
  LocalFree(security);
}
