// SPDX-License-Identifier: MIT
#pragma once
#include <memory>
#include <string>

#include <optional>

#include "emu/BitFlips.h"
#include "emu/EmulatedAdapter.h"
#include "port/PortBackend.h"

// The emulated adapter's socket, for tests and for trying the tool without hardware: bits that
// flip (--emulate-flips) and how the chip is fitted (--emulate-chip).
struct EmulatedSocket {
  BitFlips flips;
  EmulatedAdapter::Socket socket = EmulatedAdapter::Socket::Chip;
  std::uint8_t status = 0;  // the status register's stored bits
  int busyStatusReads = 0;  // -1: a write that never ends
};

// --emulate-chip's forms: "absent" (SO pulled up), "unpowered", "busy" (a write that never ends),
// "busy-for=N" (busy for N status reads), "status=0xNN". Nothing when the text is none of them.
std::optional<EmulatedSocket> ParseEmulatedChip(const std::string& text);

// Opens the port a --port value names: "" (the first parallel port), a real port of the
// platform's (RealPort.h), or "emulate[:IMAGE]" (the emulated adapter with a 25160 holding the
// built-in image or IMAGE, its socket as `emulated` says). Raises std::runtime_error with a
// message for the user when the port cannot be opened.
std::unique_ptr<PortBackend> OpenChosenPort(const std::string& choice, const EmulatedSocket& emulated);

// Why a --port value cannot be right, before anything is opened; "" when its form is fine.
std::string PortChoiceProblem(const std::string& choice);
bool IsEmulatedPortChoice(const std::string& choice);
