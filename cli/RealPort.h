// SPDX-License-Identifier: MIT
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "port/PortBackend.h"

// The --port values that name a real port, one file per platform (Linux: a ppdev device, or
// direct I/O at 0x378 or a given base; Windows: a port the system lists by name, or an I/O
// address, both through InpOut).
const char* RealPortForms();  // for messages: "/dev/parportN, direct, direct:ADDRESS, or "
// Checks a value before anything is opened: none for a value that is no real port's form, ""
// for a good one, else why it cannot be right ("the system lists no LPT2 ...").
std::optional<std::string> RealPortProblem(const std::string& choice);
// Opens the port the value names; raises EPortError, or std::runtime_error for a value that
// names something else than a port.
std::unique_ptr<PortBackend> OpenRealPort(const std::string& choice);
