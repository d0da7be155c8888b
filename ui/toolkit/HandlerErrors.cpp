#include "ui/toolkit/HandlerErrors.h"

#include <exception>

std::optional<std::string> ErrorLeaving(const std::function<void()>& handler) {
  try {
    handler();
    return std::nullopt;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "An unexpected error occurred.";
  }
}
