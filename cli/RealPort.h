#pragma once
#include <memory>
#include <string>

#include "bus/PortBackend.h"

// The --port values that name a real port, one file per platform (Linux: a ppdev device or
// direct I/O; Windows: none besides the default, the first parallel port through InpOut).
const char* RealPortForms();  // for messages: "/dev/parportN, direct, or "
bool IsRealPortChoice(const std::string& choice);
// Opens the port the value names; raises EPortError, or std::runtime_error for a value that
// names something else than a port.
std::unique_ptr<PortBackend> OpenRealPort(const std::string& choice);
