// SPDX-License-Identifier: MIT
#include "port/PortLock.h"

#include "port/ListedPorts.h"

// A port's registers span eight addresses (0x378 to 0x37F, ECP's reach aside): a base typed inside
// another port's block (0x37C) meets that port's lock.
std::string PortLockKey(std::uint16_t base) { return IoAddressText(base & ~7u); }
