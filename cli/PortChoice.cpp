#include "cli/PortChoice.h"

#include "bus/DirectIoPort.h"
#include "bus/FirstParallelPort.h"
#include "bus/PortError.h"
#include "bus/PpdevPort.h"
#include "emu/EepromImage.h"
#include "emu/EmulatedAdapter.h"

namespace {
constexpr std::string_view EmulatePrefix = "emulate";

std::unique_ptr<PortBackend> OpenEmulated(const std::string& choice, double flipShare, unsigned seed) {
  const std::string imagePath = choice.size() > EmulatePrefix.size() ? choice.substr(EmulatePrefix.size() + 1) : "";
  auto adapter = std::make_unique<EmulatedAdapter>(imagePath.empty() ? DemoEepromImage() : LoadEepromImage(imagePath));
  if (flipShare > 0) adapter->Chip().InjectBitFlips(flipShare, seed);
  return adapter;
}

std::string WithAdvice(const std::string& failure) { return failure + "\n" + PortAccessAdvice(); }
}  // namespace

std::unique_ptr<PortBackend> OpenChosenPort(const std::string& choice, double flipShare, unsigned seed) {
  if (choice == EmulatePrefix || choice.rfind(std::string(EmulatePrefix) + ":", 0) == 0) {
    return OpenEmulated(choice, flipShare, seed);
  }
  if (flipShare > 0) throw std::runtime_error("--emulate-flips works only with --port emulate");
  try {
    if (choice.empty()) {
      auto port = std::make_unique<FirstParallelPort>();
      // Open now, so a missing port is reported before anything else happens.
      port->ReadPortByte(0x379);
      return port;
    }
    if (choice == "direct") return std::make_unique<DirectIoPort>();
    if (choice.rfind("/dev/", 0) == 0) return std::make_unique<PpdevPort>(choice);
  } catch (const EPortError& error) {
    throw std::runtime_error(choice.empty() ? error.what() : WithAdvice(error.what()));
  }
  throw std::runtime_error("Unknown port \"" + choice + "\": use /dev/parportN, direct, or emulate[:IMAGE].");
}
