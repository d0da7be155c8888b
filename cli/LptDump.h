// SPDX-License-Identifier: MIT
#pragma once

// lpt-dump itself, with its arguments in UTF-8 (Windows hands them over in UTF-16). Each
// platform's program entry calls it.
int LptDumpMain(int argc, char** argv);
