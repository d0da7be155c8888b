// SPDX-License-Identifier: MIT
#include "port/ListedPorts.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "runtime/AsciiUpper.h"
#include "runtime/HexText.h"
#include "runtime/QuotedName.h"

namespace {
// The n of "LPTn"; 0 for a name of another form.
int PortNumber(const std::string& name) {
  const std::string upper = AsciiUpper(name);
  if (upper.size() < 4 || upper.rfind("LPT", 0) != 0) return 0;
  int number = 0;
  const auto [end, error] = std::from_chars(upper.data() + 3, upper.data() + upper.size(), number);
  return error == std::errc{} && end == upper.data() + upper.size() && number > 0 ? number : 0;
}
}  // namespace

std::optional<ListedPort> FirstListedPort(const std::vector<ListedPort>& ports) {
  std::optional<ListedPort> first;
  for (const ListedPort& port : ports) {
    const int number = PortNumber(port.name);
    if (number > 0 && (!first || number < PortNumber(first->name))) first = port;
  }
  return first;
}

std::optional<ListedPort> ListedPortNamed(const std::vector<ListedPort>& ports, const std::string& name) {
  const auto found = std::find_if(ports.begin(), ports.end(),
                                  [&](const ListedPort& port) { return AsciiUpper(port.name) == AsciiUpper(name); });
  return found == ports.end() ? std::nullopt : std::optional<ListedPort>(*found);
}

std::string DescribeListedPorts(const std::vector<ListedPort>& ports) {
  if (ports.empty()) return "no parallel port";
  std::string text;
  for (const ListedPort& port : ports)
    text += (text.empty() ? "" : ", ") + port.name + " at " + IoAddressText(port.base);
  return text;
}

std::optional<unsigned long> NumberIn(const std::string& text) {
  std::string_view digits = text;
  int base = 10;
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    base = 16;
  }
  unsigned long value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (digits.empty() || end != digits.data() + digits.size()) return std::nullopt;
  return error == std::errc{} ? value : std::numeric_limits<unsigned long>::max();
}

namespace {
// "0378": digits after a leading zero, as /proc/ioports and Device Manager print a base.
bool HasLeadingZero(const std::string& text) {
  return text.size() > 1 && text[0] == '0' && std::isdigit(static_cast<unsigned char>(text[1])) != 0;
}
}  // namespace

std::string IoBaseProblem(const std::string& text) {
  if (HasLeadingZero(text)) {
    const std::string digits =
        text.substr(text.find_first_not_of('0') == std::string::npos ? text.size() - 1 : text.find_first_not_of('0'));
    const std::string problem = QuotedName(text) + " starts with a zero, which makes it no address";
    // The hex it likely meant, offered only when that is an address a port can have.
    if (!IoBaseProblem("0x" + digits).empty()) return problem + " (" + IoBaseRange + ")";
    return problem + " (written as in /proc/ioports or Device Manager, it is hex): did you mean 0x" + digits + "?";
  }
  const std::optional<unsigned long> value = NumberIn(text);
  if (!value) return QuotedName(text) + " is not a number (" + IoBaseRange + ")";
  if (*value < LowestIoBase || *value > HighestIoBase || *value % IoBaseStep != 0) {
    return QuotedName(text) + " is not an I/O address a parallel port can have (" + IoBaseRange + ")";
  }
  return "";
}

std::optional<std::uint16_t> ParseIoBase(const std::string& text) {
  if (!IoBaseProblem(text).empty()) return std::nullopt;
  return static_cast<std::uint16_t>(*NumberIn(text));
}

std::string IoAddressText(std::uint16_t address) { return HexText(address, 3); }

bool LooksLikePortName(const std::string& text) { return text.size() == 4 && PortNumber(text) > 0; }
