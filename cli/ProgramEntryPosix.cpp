// SPDX-License-Identifier: MIT
// lpt-dump's entry on Linux: the arguments are already the bytes the user typed.
#include "cli/LptDump.h"

int main(int argc, char** argv) { return LptDumpMain(argc, argv); }
