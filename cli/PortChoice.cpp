// SPDX-License-Identifier: MIT
#include "cli/PortChoice.h"

#include "cli/RealPort.h"
#include "dump/ImageFile.h"
#include "emu/EmulatedAdapter.h"
#include "port/FirstParallelPort.h"
#include "port/ListedPorts.h"
#include "port/PortError.h"
#include "runtime/QuotedName.h"

namespace {
constexpr std::string_view EmulatePrefix = "emulate";

std::unique_ptr<PortBackend> OpenEmulated(const std::string& choice, const EmulatedSocket& emulated) {
  const std::string imagePath = choice.size() > EmulatePrefix.size() ? choice.substr(EmulatePrefix.size() + 1) : "";
  auto adapter = std::make_unique<EmulatedAdapter>(imagePath.empty() ? DemoEepromImage() : LoadEepromImage(imagePath),
                                                   emulated.socket);
  if (emulated.flips.share > 0) adapter->Chip().InjectBitFlips(emulated.flips);
  adapter->Chip().SetStatus(emulated.status);
  adapter->Chip().BusyFor(emulated.busyStatusReads);
  return adapter;
}

// The number after `prefix` in `text`, written as the ports' addresses are, up to `largest`.
std::optional<int> NumberAfter(const std::string& text, const std::string& prefix, int largest) {
  if (text.rfind(prefix, 0) != 0) return std::nullopt;
  const std::optional<unsigned long> number = NumberIn(text.substr(prefix.size()));
  if (!number || *number > static_cast<unsigned long>(largest)) return std::nullopt;
  return static_cast<int>(*number);
}
}  // namespace

std::optional<EmulatedSocket> ParseEmulatedChip(const std::string& text) {
  EmulatedSocket emulated;
  if (text == "absent") {
    emulated.socket = EmulatedAdapter::Socket::Empty;
  } else if (text == "unpowered") {
    emulated.socket = EmulatedAdapter::Socket::Unpowered;
  } else if (text == "busy") {
    emulated.busyStatusReads = -1;
  } else if (const auto reads = NumberAfter(text, "busy-for=", 1000)) {
    emulated.busyStatusReads = *reads;
  } else if (const auto status = NumberAfter(text, "status=", 0xFF)) {
    emulated.status = static_cast<std::uint8_t>(*status);
  } else if (text != "fitted") {
    return std::nullopt;
  }
  return emulated;
}

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

std::unique_ptr<PortBackend> OpenChosenPort(const std::string& choice, const EmulatedSocket& emulated) {
  if (IsEmulatedPortChoice(choice)) return OpenEmulated(choice, emulated);
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
