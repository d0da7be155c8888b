// SPDX-License-Identifier: MIT
#include <cctype>
#include <stdexcept>

#include "cli/RealPort.h"
#include "port/InpOutPort.h"
#include "port/ListedPorts.h"
#include "port/SystemParallelPorts.h"
#include "runtime/QuotedName.h"

namespace {
// "0xD010" as Device Manager's Resources tab shows the start of an I/O range, or a decimal number.
bool LooksLikeAddress(const std::string& choice) {
  return !choice.empty() && std::isdigit(static_cast<unsigned char>(choice[0])) != 0;
}

std::uint16_t BaseOf(const std::string& choice) {
  if (LooksLikeAddress(choice)) return ParseIoBase(choice).value_or(0);
  const auto port = ListedPortNamed(SystemParallelPorts(), choice);
  return port ? port->base : 0;
}
}  // namespace

const char* RealPortForms() {
  return "LPTn (a port the system lists), an I/O address such as 0xD010 (0x for hex, else decimal; no leading zero), "
         "or ";
}

std::optional<std::string> RealPortProblem(const std::string& choice) {
  if (LooksLikeAddress(choice)) return IoBaseProblem(choice);
  if (!LooksLikePortName(choice)) return std::nullopt;
  const std::vector<ListedPort> listed = SystemParallelPorts();
  if (ListedPortNamed(listed, choice)) return "";
  return "the system lists no port named " + QuotedName(choice) + " (it lists " + DescribeListedPorts(listed) +
         "); see Device Manager, Ports (COM & LPT)";
}

std::unique_ptr<PortBackend> OpenRealPort(const std::string& choice) {
  const std::uint16_t base = BaseOf(choice);
  if (base == 0) throw std::runtime_error("unknown port " + QuotedName(choice));
  return std::make_unique<InpOutPort>(base);
}
