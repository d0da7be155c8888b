#include <stdexcept>

#include "cli/RealPort.h"

const char* RealPortForms() { return "the default (the first parallel port through InpOut), or "; }

bool IsRealPortChoice(const std::string&) { return false; }

std::unique_ptr<PortBackend> OpenRealPort(const std::string& choice) {
  throw std::runtime_error("unknown port \"" + choice + "\"");
}
