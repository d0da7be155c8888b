// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <optional>

#include "port/PortError.h"  // what the routines raise

class PortBackend;

// Port95 holds the two port byte routines and hands each access to the installed backend (ppdev,
// direct I/O, InpOut or the emulated adapter): the module's name is the system's own, not a
// sign of Windows 95 port I/O. With no backend installed they raise EPortError.
std::uint8_t ReadPortByte(std::uint16_t port);
void WritePortByte(std::uint16_t port, std::uint8_t value);

// What the installed backend says the data register drives now, or nullopt.
std::optional<std::uint8_t> ReadDataLatch();

// Lets other programs use the port while the bus is idle; the next access takes it back.
void ReleasePort();

// Installs the backend that the two routines reach (not owned) and returns the previous one.
PortBackend* InstallPortBackend(PortBackend* backend);
