// SPDX-License-Identifier: MIT
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/SaveRefusals.h"

// Files on Windows as the save knows them: by identity, whatever name spells them (another drive
// letter, \\?\, a linked folder, an 8.3 name), and by their whole and final names.
struct FileIdentity {
  DWORD volume = 0;          // the volume's serial number
  std::uint64_t number = 0;  // the file ID within it
  DWORD attributes = 0;
  bool operator==(const FileIdentity& other) const { return volume == other.volume && number == other.number; }
};
std::optional<FileIdentity> IdentityOf(HANDLE file);
std::optional<FileIdentity> IdentityOf(const std::wstring& name);
// Opens a file or folder only to look at it (no access to its content, shared with everyone).
HANDLE OpenToLook(const std::wstring& name);
// Where an opened file really is, as Windows names it: links followed, 8.3 parts spelled out,
// "\\?\C:\..." ("" when Windows cannot say).
std::wstring FinalNameOf(HANDLE file);
// The name made whole, in the one spelling every later step uses: a \\?\ name as it stands (Windows
// takes it literally, trailing dots and spaces included), any other as GetFullPathNameW makes it.
std::wstring WholeName(const std::wstring& name);
// The folder part of a name, with its separator ("C:" for "C:x.bin", "" for none).
std::string FolderPartOf(const std::string& path);
// The program's own files and InpOut's DLL wherever the program would load it from (or has):
// replaced by an image, the next run could not reach the port or would not start. Refusal::None
// for any other file.
Refusal ProgramFileRefusal(const FileIdentity& file);
// What a replaced file gives the file that replaces it, as ReplaceFileW gave it: its attributes
// (hidden and system too), its creation time and its access list (ACL). `old` open for
// READ_CONTROL and FILE_READ_ATTRIBUTES, `image` for WRITE_DAC and FILE_WRITE_ATTRIBUTES.
void CarryOver(HANDLE old, HANDLE image);
