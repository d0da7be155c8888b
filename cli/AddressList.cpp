// SPDX-License-Identifier: MIT
#include "cli/AddressList.h"

#include "runtime/HexText.h"

namespace {
constexpr std::size_t AddressesShown = 8;
}

std::string AddressText(std::size_t address) {
  return HexText(static_cast<unsigned>(address), 4) + " (" + std::to_string(address) + ")";
}

std::string FirstAddresses(const std::vector<std::size_t>& addresses,
                           const std::function<std::string(std::size_t)>& holds) {
  std::string shown;
  for (std::size_t i = 0; i < addresses.size() && i < AddressesShown; ++i) {
    shown += (i == 0  ? ""
              : holds ? "; "
                      : ", ") +
             AddressText(addresses[i]) + (holds ? ": " + holds(addresses[i]) : "");
  }
  return shown + (addresses.size() > AddressesShown ? " and more" : "");
}
