#include "cli/PortChoice.h"

#include <sys/stat.h>

#include "bus/DirectIoPort.h"
#include "bus/FirstParallelPort.h"
#include "bus/PortError.h"
#include "bus/PpdevPort.h"
#include "emu/EepromImage.h"
#include "emu/EmulatedAdapter.h"
#include "ui/toolkit/QuotedName.h"

namespace {
constexpr std::string_view EmulatePrefix = "emulate";

std::unique_ptr<PortBackend> OpenEmulated(const std::string& choice, double flipShare, unsigned seed) {
  const std::string imagePath = choice.size() > EmulatePrefix.size() ? choice.substr(EmulatePrefix.size() + 1) : "";
  auto adapter = std::make_unique<EmulatedAdapter>(imagePath.empty() ? DemoEepromImage() : LoadEepromImage(imagePath));
  if (flipShare > 0) adapter->Chip().InjectBitFlips(flipShare, seed);
  return adapter;
}

std::string WithAdvice(const EPortError& error) { return std::string(error.what()) + "\n" + PortAdviceFor(error); }
}  // namespace

bool IsEmulatedPortChoice(const std::string& choice) {
  return choice == EmulatePrefix || choice.rfind(std::string(EmulatePrefix) + ":", 0) == 0;
}

std::string PortChoiceProblem(const std::string& choice) {
  if (choice.empty()) return "needs a value: /dev/parportN, direct, or emulate[:IMAGE]";
  if (choice == "direct" || choice == EmulatePrefix || choice.front() == '/') return "";
  if (IsEmulatedPortChoice(choice)) {
    return choice.size() > EmulatePrefix.size() + 1 ? "" : "emulate: needs an image file after the colon";
  }
  return "unknown port " + QuotedName(choice) + ": use /dev/parportN, direct, or emulate[:IMAGE]";
}

std::unique_ptr<PortBackend> OpenChosenPort(const std::string& choice, double flipShare, unsigned seed) {
  if (IsEmulatedPortChoice(choice)) return OpenEmulated(choice, flipShare, seed);
  if (flipShare > 0) throw std::runtime_error("--emulate-flips works only with --port emulate");
  struct stat status {};
  if (!choice.empty() && choice.front() == '/' && stat(choice.c_str(), &status) == 0 && !S_ISCHR(status.st_mode)) {
    throw std::runtime_error(QuotedName(choice) +
                             " is not a device, so it is no parallel port: give a ppdev device such as /dev/parport0.");
  }
  try {
    if (choice.empty()) {
      auto port = std::make_unique<FirstParallelPort>();
      port->Open();  // a missing port is reported before anything else happens
      return port;
    }
    if (choice == "direct") return std::make_unique<DirectIoPort>();
    if (choice.front() == '/') return std::make_unique<PpdevPort>(choice);
  } catch (const EPortError& error) {
    throw std::runtime_error(choice.empty() ? error.what() : WithAdvice(error));
  }
  throw std::runtime_error("Unknown port \"" + choice + "\": use /dev/parportN, direct, or emulate[:IMAGE].");
}
