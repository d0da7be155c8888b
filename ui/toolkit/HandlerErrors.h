#pragma once
#include <functional>
#include <optional>
#include <string>

// Runs an event handler and returns the message of the error that left it, if one did; so no
// exception ever crosses the toolkit's message loop.
std::optional<std::string> ErrorLeaving(const std::function<void()>& handler);
