#include "port/PortLock.h"

#include <cctype>
#include <cstdlib>

#include "port/ListedPorts.h"

std::string PortLockKey(std::uint16_t base) {
  std::string key = IoAddressText(base);
  const char* tag = std::getenv("LPT_TOOL_LOCK_TAG");
  if (tag == nullptr || *tag == '\0') return key;
  key += '-';
  for (const char* c = tag; *c != '\0' && key.size() < 100; ++c) {
    key += std::isalnum(static_cast<unsigned char>(*c)) != 0 || *c == '-' ? *c : '_';
  }
  return key;
}
