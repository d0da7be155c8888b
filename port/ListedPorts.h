// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A parallel port as the system lists it: its name and where its registers start. On a PC with
// a PCI or PCIe card, the card's port sits wherever the system placed it (0xD010, 0xE000, ...),
// not at 0x378.
struct ListedPort {
  std::string name;    // "LPT1", "LPT3"
  std::uint16_t base;  // the data register; status is base + 1, control base + 2
};

// The first parallel port among those listed: the lowest LPTn. None when no LPTn is listed.
std::optional<ListedPort> FirstListedPort(const std::vector<ListedPort>& ports);

// The listed port with this name, in any case ("lpt2" finds LPT2).
std::optional<ListedPort> ListedPortNamed(const std::vector<ListedPort>& ports, const std::string& name);

// "LPT1 at 0x378, LPT3 at 0xD010", or "no parallel port".
std::string DescribeListedPorts(const std::vector<ListedPort>& ports);

// A port's base address: hex after 0x ("0xD010"), decimal otherwise ("888" is 0x378). A leading
// zero ("0378", as /proc/ioports prints hex) is refused: octal or decimal would reach another
// port. Below 0x100 sit the PC's own controllers; a base is a multiple of 4, so 0x37A is the
// control register of the port at 0x378, not a port of its own.
std::optional<std::uint16_t> ParseIoBase(const std::string& text);
// A number as the user writes one: decimal, or hex after 0x (0X too), digits only (no sign, no
// spaces); the largest unsigned long for one too large to hold. nullopt when it is no number.
std::optional<unsigned long> NumberIn(const std::string& text);
// Why `text` is no base address ("" when it is one): a leading zero (with the hex it likely
// meant, where that is an address), not a number, outside the range or not a multiple of 4.
std::string IoBaseProblem(const std::string& text);
inline constexpr unsigned long LowestIoBase = 0x100;
inline constexpr unsigned long HighestIoBase = 0xFFFC;
inline constexpr unsigned long IoBaseStep = 4;
inline constexpr const char* IoBaseRange = "0x100-0xFFFC, a multiple of 4; hex after 0x, else decimal: 888 is 0x378";

// "0xD010"
std::string IoAddressText(std::uint16_t address);

// Whether the text has the form of a port name, LPT1 to LPT9 in any case.
bool LooksLikePortName(const std::string& text);
