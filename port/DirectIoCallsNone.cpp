// SPDX-License-Identifier: MIT
// Processors without I/O instructions: direct port I/O is refused as not supported.
#include <cerrno>

#include "port/DirectIoPort.h"

namespace {
int NoPermission(unsigned long, unsigned long, int) {
  errno = ENOSYS;
  return -1;
}
std::uint8_t NoIn(std::uint16_t) { return 0xFF; }
void NoOut(std::uint8_t, std::uint16_t) {}
}  // namespace

const DirectIoCalls& RealDirectIoCalls() {
  static const DirectIoCalls calls{NoPermission, NoIn, NoOut};
  return calls;
}
