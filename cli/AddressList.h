// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// How lpt-dump's reports name addresses: in hex as a hex editor shows the image and in decimal
// as the window counts them, "0x0131 (305)", and at most the first eight of a list.
std::string AddressText(std::size_t address);

// "0x0005 (5), 0x0131 (305) and more", or with what each holds, "0x0005 (5): chip 0x1A, file
// 0x1B; 0x0131 (305): ...".
std::string FirstAddresses(const std::vector<std::size_t>& addresses,
                           const std::function<std::string(std::size_t)>& holds = {});
