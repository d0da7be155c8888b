// SPDX-License-Identifier: MIT
#pragma once
#include <functional>
#include <string>

// Where every error that leaves an event handler ends up, for the application object of either
// platform: no exception ever crosses the toolkit's message loop. The default handler is the
// platform's message box; tests replace it to see the errors.
class TopLevelErrors {
 public:
  using ErrorHandler = std::function<void(const std::string& message)>;

  // Runs an event handler; whatever error leaves it goes to the top-level handler.
  void HandleErrorsOf(const std::function<void()>& handler);

  // Shows an error the way one that left a handler is shown, for a handler that goes on after it.
  void Report(const std::string& message) { errorHandler_(message); }

  // Replaces the top-level handler and returns the previous one.
  ErrorHandler SetErrorHandler(ErrorHandler handler);

 protected:
  explicit TopLevelErrors(ErrorHandler defaultHandler) : errorHandler_(std::move(defaultHandler)) {}

 private:
  ErrorHandler errorHandler_;
};
