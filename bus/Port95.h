#pragma once
#include <cstdint>
#include <optional>

#include "port/PortError.h"  // what the routines raise

class PortBackend;

// The two port byte routines. Both forward to the one installed backend; with none installed
// they raise EPortError.
std::uint8_t ReadPortByte(std::uint16_t port);
void WritePortByte(std::uint16_t port, std::uint8_t value);

// What the installed backend says the data register drives now, or nullopt.
std::optional<std::uint8_t> ReadDataLatch();

// Lets other programs use the port while the bus is idle; the next access takes it back.
void ReleasePort();

// Installs the backend that the two routines reach (not owned) and returns the previous one.
PortBackend* InstallPortBackend(PortBackend* backend);
