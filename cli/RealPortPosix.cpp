#include <sys/stat.h>

#include <stdexcept>

#include "bus/DirectIoPort.h"
#include "bus/PpdevPort.h"
#include "cli/RealPort.h"
#include "runtime/QuotedName.h"

const char* RealPortForms() { return "/dev/parportN, direct, or "; }

bool IsRealPortChoice(const std::string& choice) { return choice == "direct" || choice.front() == '/'; }

std::unique_ptr<PortBackend> OpenRealPort(const std::string& choice) {
  if (choice == "direct") return std::make_unique<DirectIoPort>();
  struct stat status {};
  if (stat(choice.c_str(), &status) == 0 && !S_ISCHR(status.st_mode)) {
    throw std::runtime_error(QuotedName(choice) +
                             " is not a device, so it is no parallel port: give a ppdev device such as /dev/parport0.");
  }
  return std::make_unique<PpdevPort>(choice);
}
