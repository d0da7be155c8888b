#include "cli/PortChoice.h"

#include "cli/RealPort.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "port/FirstParallelPort.h"
#include "port/PortError.h"
#include "runtime/QuotedName.h"

namespace {
constexpr std::string_view EmulatePrefix = "emulate";

std::unique_ptr<PortBackend> OpenEmulated(const std::string& choice, const BitFlips& flips) {
  const std::string imagePath = choice.size() > EmulatePrefix.size() ? choice.substr(EmulatePrefix.size() + 1) : "";
  auto adapter = std::make_unique<EmulatedAdapter>(imagePath.empty() ? DemoEepromImage() : LoadEepromImage(imagePath));
  if (flips.share > 0) adapter->Chip().InjectBitFlips(flips);
  return adapter;
}
}  // namespace

bool IsEmulatedPortChoice(const std::string& choice) {
  return choice == EmulatePrefix || choice.rfind(std::string(EmulatePrefix) + ":", 0) == 0;
}

std::string PortChoiceProblem(const std::string& choice) {
  const std::string forms = std::string(RealPortForms()) + "emulate[:IMAGE]";
  if (choice.empty()) return "needs a value: " + forms;
  if (IsEmulatedPortChoice(choice)) {
    return choice == EmulatePrefix || choice.size() > EmulatePrefix.size() + 1
               ? ""
               : "emulate: needs an image file after the colon";
  }
  return RealPortProblem(choice).value_or("unknown port " + QuotedName(choice) + ": use " + forms);
}

std::unique_ptr<PortBackend> OpenChosenPort(const std::string& choice, const BitFlips& flips) {
  if (IsEmulatedPortChoice(choice)) return OpenEmulated(choice, flips);
  if (flips.share > 0) throw std::runtime_error("--emulate-flips works only with --port emulate");
  try {
    if (choice.empty()) {
      auto port = std::make_unique<FirstParallelPort>();
      port->Open();  // a missing port is reported before anything else happens
      return port;
    }
    return OpenRealPort(choice);
  } catch (const EPortError& error) {
    // The first parallel port's message has its fixes already.
    throw std::runtime_error(choice.empty() ? error.what() : std::string(error.what()) + "\n" + PortAdviceFor(error));
  }
}
