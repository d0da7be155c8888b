#pragma once
#include <memory>
#include <string>

#include "emu/BitFlips.h"
#include "port/PortBackend.h"

// Opens the port a --port value names: "" (the first parallel port), a real port of the
// platform's (RealPort.h), or "emulate[:IMAGE]" (the emulated adapter
// with a 25160 holding the built-in image or IMAGE). `flips` with a share above 0 makes the
// emulated chip flip bits as they say. Raises std::runtime_error
// with a message for the user when the port cannot be opened.
std::unique_ptr<PortBackend> OpenChosenPort(const std::string& choice, const BitFlips& flips);

// Why a --port value cannot be right, before anything is opened; "" when its form is fine.
std::string PortChoiceProblem(const std::string& choice);
bool IsEmulatedPortChoice(const std::string& choice);
