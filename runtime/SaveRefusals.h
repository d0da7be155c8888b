// SPDX-License-Identifier: MIT
#pragma once
#include <string>

#include "runtime/UntypedFile.h"

// Why a save refuses a name or stops, each with what to do: every such text of both systems'
// saves, in one table (SaveRefusals.cpp).
enum class Refusal {
  None,
  // Where the name leads
  FolderMissing,
  FolderUnreachable,
  FolderNotWritable,
  FolderReadOnlyMount,
  FolderAppendOnly,
  FolderImmutable,
  NewFileInDevices,
  KernelFile,
  ProtectedLink,
  // What the name holds
  ParallelPort,
  CharacterDevice,
  BlockDevice,
  Socket,
  MountedFile,
  FileAppendOnly,
  OthersFileInSticky,
  OthersPipeInSticky,
  OthersFileStickyBit,
  TakenWhileLooked,
  AccessNotCarried,
  // The process's own descriptors (/dev/fd/N, standard output)
  OwnDescriptor,
  DescriptorNotHanded,
  DescriptorClosed,
  DescriptorReadOnly,
  StandardError,
  SameAsStandardError,
  Terminal,
  // Windows' names and files
  BlankName,
  AlternateStream,
  NameTooLong,
  LiteralDotPart,
  ProgramItself,
  ProgramsOwnFile,
  InpOutDll,
  ReadOnlyFile,
  // The step that gives the image the name
  NameChanged,
  NameTaken,
  StepMet,
};

// Records the refusal in the file, `detail` standing wherever its texts say {}; false, so that
// a check can end with it.
bool Refuse(TFile& file, Refusal why, const std::string& detail = "");
