#include "port/PortLock.h"

#include "port/ListedPorts.h"

std::string PortLockKey(std::uint16_t base) { return IoAddressText(base); }
