// SPDX-License-Identifier: MIT
#include "port/PortError.h"

#include <cerrno>
#include <cstring>

EPortError OsPortError(const std::string& call, const std::string& device, int osError) {
  return EPortError(call + " on " + device + " failed: " + std::strerror(osError), osError, call, device);
}
