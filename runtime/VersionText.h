// SPDX-License-Identifier: MIT
#pragma once
#include <string>

// What every program answers to --version: its name and version, the copyright and the licence.
// LPT_VERSION comes from the build (the project's version).
inline std::string VersionText(const std::string& program) {
  return program + " " LPT_VERSION
                   "\nCopyright (c) 2026 The LPT_Tool developers. MIT License: the software is provided as is, "
                   "without warranty.";
}
