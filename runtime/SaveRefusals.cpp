// SPDX-License-Identifier: MIT
#include "runtime/SaveRefusals.h"

#include "runtime/FileErrorTexts.h"

namespace {
struct Text {
  Refusal why;
  const char* reason;
  const char* advice;  // "" for the usual: choose a file on a disk
};

constexpr const char* OtherName = "Save under another name.";
constexpr const char* OwnFolder = "Save under another name, in a folder of your own such as your Documents.";
constexpr const char* OpenForWriting = "Open it for writing (as {}> FILE in the shell), or give a file name.";
constexpr const char* Attribute = "Choose another folder, or have its owner remove the attribute (chattr -a -i).";

constexpr Text Texts[] = {
    {Refusal::FolderMissing, "the folder {} does not exist", "Choose a folder that exists, then try again."},
    {Refusal::FolderUnreachable,
     "the folder {} cannot be reached: a folder on the way does not let you in, or the way goes through another "
     "user's symbolic link in a sticky folder, which the system does not follow (fs.protected_symlinks)",
     "Give the name as the folders really are, in folders you may enter."},
    {Refusal::FolderNotWritable,
     "the folder {} does not let you make a new file in it, which a safe save needs (the image goes to a new file "
     "beside the name, which then takes the name's place)",
     "Choose a folder you may write to, such as your Documents."},
    {Refusal::FolderReadOnlyMount, "the folder {} is on a file system mounted read-only",
     "Choose a folder on a writable disk."},
    {Refusal::FolderAppendOnly,
     "the folder {} is append-only (lsattr -d shows a): no name in it can be replaced, which a safe save needs",
     Attribute},
    {Refusal::FolderImmutable, "the folder {} is immutable (lsattr -d shows i): no file can be made in it", Attribute},
    {Refusal::NewFileInDevices,
     "it would be a new file in {}, where the system keeps its devices (a port typed as the output?), and nothing new "
     "is made there",
     "Give the name of a file on a disk to save the image in; a port is not named here."},
    {Refusal::KernelFile, "it is in /proc or /sys, where files show the kernel's state and keep nothing", ""},
    {Refusal::ProtectedLink,
     "it is a symbolic link in {}, a folder that others may write to, and belongs to another user: the system lets "
     "no one else follow such a link (fs.protected_symlinks), so nothing is saved through it",
     "Give the file's own name, or a name in a folder of your own."},
    {Refusal::ParallelPort, ParallelPortRefusal, ""},
    {Refusal::CharacterDevice, "it is a device (a character device), not a file", ""},
    {Refusal::BlockDevice, "it is a disk device (a block device): the image would overwrite what it holds", ""},
    {Refusal::Socket, "it is a socket, not a file", ""},
    {Refusal::MountedFile,
     "a file is mounted onto that name (a bind mount, as container volumes are), and such a file cannot be replaced",
     "Save under another name, or into the mounted file's own folder."},
    {Refusal::FileAppendOnly, "the file is append-only or immutable (lsattr shows a or i), so it cannot be replaced",
     "Save under another name, or have its owner remove the attribute (chattr -a -i)."},
    {Refusal::OthersFileInSticky,
     "it is another user's file in {}, a sticky folder (as /tmp is), where only its owner may replace it "
     "(fs.protected_regular)",
     OtherName},
    {Refusal::OthersFileStickyBit,
     "it is another user's file in {}, a sticky folder, where only its owner, the folder's owner or root may replace "
     "it (the sticky bit)",
     OtherName},
    {Refusal::OthersPipeInSticky,
     "it is another user's named pipe in {}, a sticky folder (as /tmp is), where only its owner may write to it "
     "(fs.protected_fifos)",
     OtherName},
    {Refusal::TakenWhileLooked, "another file took the name while it was looked at", "Try again."},
    {Refusal::AccessNotCarried, "{}",
     "Save under a new name, or copy the file's access by hand after saving elsewhere."},
    {Refusal::OwnDescriptor, "it names one of this program's own open files (a descriptor), not a file on a disk",
     "Give the name of a file on a disk."},
    {Refusal::DescriptorNotHanded, "it names descriptor {}, which was not open when this program started",
     OpenForWriting},
    {Refusal::DescriptorClosed, "it names descriptor {}, which is not open in this program", OpenForWriting},
    {Refusal::DescriptorReadOnly, "descriptor {} is open for reading only (as {}< FILE in the shell)", OpenForWriting},
    {Refusal::StandardError, "it is standard error, which carries this program's messages",
     "Give a file name, or - for standard output."},
    {Refusal::SameAsStandardError,
     "it is the same file as standard error (as 2>&1 in the shell makes it), so this program's messages would end up "
     "inside the image",
     "Send the messages elsewhere (2> FILE), or give a file name instead of -."},
    {Refusal::Terminal, "it is a terminal, and the binary image would garble it",
     "Redirect it to a file (> dump.bin), or pipe it (| xxd)."},
    {Refusal::BlankName, "the name is blank (Windows drops the spaces at a name's end, so nothing is left)", ""},
    {Refusal::AlternateStream,
     "it has a colon after the drive, so the image would go into a hidden stream of another file", ""},
    {Refusal::NameTooLong, "the name is {} characters long, and a name in a folder holds 255 at most",
     "Choose a shorter name, then try again."},
    {Refusal::LiteralDotPart,
     "it starts with \\\\?\\, so Windows takes it literally, and it holds a . or .. part, which names no folder "
     "there",
     "Write the name without the . and .. parts, or without \\\\?\\ in front."},
    {Refusal::ProgramItself, "it is this program itself, which is running; an image in its place would break it",
     OwnFolder},
    {Refusal::ProgramsOwnFile, "it is one of the program's own files; an image in its place would break the program",
     OwnFolder},
    {Refusal::InpOutDll,
     "it is InpOut's DLL, which the program loads to reach the port; an image in its place would leave the port "
     "unreachable",
     OwnFolder},
    {Refusal::ReadOnlyFile, "it is read-only",
     "Clear its read-only attribute (the file's Properties, or attrib -r), or save under another name."},
    {Refusal::NameChanged,
     "the name no longer leads to the folder and file it led to when the save began (a folder on the way was moved, "
     "replaced or linked elsewhere, or another file was put at the name), so the image was not put there",
     "Check the folder, then read and save again."},
    {Refusal::NameTaken, "another file took the name during the read; it was left alone, and the image was not saved",
     "Choose another name, then read and save again."},
    {Refusal::StepMet,
     "another program changed the name in the very instant the image took its place, so the save stopped and left "
     "every file where it was",
     "Look at the files named here, keep the one you want under the name, then read and save again if needed."},
};

std::string Filled(std::string text, const std::string& detail) {
  for (auto at = text.find("{}"); at != std::string::npos; at = text.find("{}", at + detail.size())) {
    text.replace(at, 2, detail);
  }
  return text;
}
}  // namespace

bool Refuse(TFile& file, Refusal why, const std::string& detail) {
  for (const Text& text : Texts) {
    if (text.why != why) continue;
    file.refusal = Filled(text.reason, detail);
    file.refusalAdvice = Filled(text.advice, detail);
  }
  return false;
}
