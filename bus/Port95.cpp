// SPDX-License-Identifier: MIT
#include "bus/Port95.h"

#include "port/PortBackend.h"
#include "port/PortError.h"

namespace {
PortBackend* installedBackend = nullptr;

PortBackend& Backend() {
  if (installedBackend == nullptr) {
    throw EPortError("No parallel port backend is installed; the program must choose a port first.");
  }
  return *installedBackend;
}
}  // namespace

std::uint8_t ReadPortByte(std::uint16_t port) { return Backend().ReadPortByte(port); }

void WritePortByte(std::uint16_t port, std::uint8_t value) { Backend().WritePortByte(port, value); }

std::optional<std::uint8_t> ReadDataLatch() { return Backend().DataLatch(); }

void ReleasePort() {
  if (installedBackend != nullptr) installedBackend->Release();
}

PortBackend* InstallPortBackend(PortBackend* backend) {
  PortBackend* previous = installedBackend;
  installedBackend = backend;
  return previous;
}
