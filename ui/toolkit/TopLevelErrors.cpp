// SPDX-License-Identifier: MIT
#include "ui/toolkit/TopLevelErrors.h"

#include <exception>

void TopLevelErrors::HandleErrorsOf(const std::function<void()>& handler) {
  std::string message;
  try {
    handler();
    return;
  } catch (const std::exception& error) {
    message = error.what();
  } catch (...) {
    message = "An unexpected error occurred.";
  }
  Report(message);
}

TopLevelErrors::ErrorHandler TopLevelErrors::SetErrorHandler(ErrorHandler handler) {
  ErrorHandler previous = std::move(errorHandler_);
  errorHandler_ = std::move(handler);
  return previous;
}
