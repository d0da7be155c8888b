// SPDX-License-Identifier: MIT
// Direct port I/O through the x86 processor's own in and out instructions.
#include <sys/io.h>

#include "port/DirectIoPort.h"

namespace {
std::uint8_t In(std::uint16_t port) { return inb(port); }
void Out(std::uint8_t value, std::uint16_t port) { outb(value, port); }
}  // namespace

const DirectIoCalls& RealDirectIoCalls() {
  static const DirectIoCalls calls{::ioperm, In, Out};
  return calls;
}
