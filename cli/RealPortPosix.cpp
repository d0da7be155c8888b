// SPDX-License-Identifier: MIT
#include <sys/stat.h>

#include <stdexcept>

#include "cli/RealPort.h"
#include "port/DirectIoPort.h"
#include "port/ListedPorts.h"
#include "port/PpdevPort.h"
#include "runtime/QuotedName.h"

namespace {
constexpr std::string_view DirectAt = "direct:";

bool IsDirectAtAddress(const std::string& choice) { return choice.rfind(DirectAt, 0) == 0; }
}  // namespace

const char* RealPortForms() {
  return "/dev/parportN, direct (I/O 0x378), direct:ADDRESS such as direct:0xD010 (0x for hex, else decimal; no "
         "leading zero), or ";
}

std::optional<std::string> RealPortProblem(const std::string& choice) {
  if (choice == "direct" || choice.front() == '/') return "";
  if (!IsDirectAtAddress(choice)) return std::nullopt;
  return IoBaseProblem(choice.substr(DirectAt.size()));
}

std::unique_ptr<PortBackend> OpenRealPort(const std::string& choice) {
  if (choice == "direct") return std::make_unique<DirectIoPort>();
  if (IsDirectAtAddress(choice)) {
    return std::make_unique<DirectIoPort>(RealDirectIoCalls(), *ParseIoBase(choice.substr(DirectAt.size())));
  }
  struct stat status {};
  if (stat(choice.c_str(), &status) == 0 && !S_ISCHR(status.st_mode)) {
    throw std::runtime_error(QuotedName(choice) +
                             " is not a device, so it is no parallel port: give a ppdev device such as /dev/parport0.");
  }
  return std::make_unique<PpdevPort>(choice);
}
