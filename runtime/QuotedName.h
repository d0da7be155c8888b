// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// A file name as messages show it: in double quotes, with control characters and bytes that are
// not UTF-8 written as escapes (\n, \t, \x1b, \xff, ...) and a quote as \", so a name cannot
// break a message's lines or drive the terminal. Backslashes stay as they are: Windows paths are
// full of them.
std::string QuotedName(const std::string& name);
