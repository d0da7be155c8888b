// SPDX-License-Identifier: MIT
#include "port/FirstParallelPort.h"

#include "port/PortError.h"

FirstParallelPort::FirstParallelPort(AdviceReader reader) : FirstParallelPort(DefaultParallelPortAttempts(), reader) {}

FirstParallelPort::FirstParallelPort(std::vector<Attempt> attempts, AdviceReader reader)
    : attempts_(std::move(attempts)), reader_(reader) {}

void FirstParallelPort::AddFailure(const std::string& attempt, const EPortError& error) {
  failures_ += "  - " + attempt + ": " + error.what() + "\n";
  const std::string fix = PortAdviceFor(error, reader_);
  if (advice_.find(fix) == std::string::npos) advice_ += (advice_.empty() ? "" : "\n") + fix;
}

EPortError FirstParallelPort::NotOpened() const {
  return EPortError("The parallel port could not be opened.\n" + failures_ + "\n" + advice_);
}

PortBackend& FirstParallelPort::Opened() {
  if (port_) return *port_;
  failures_.clear();
  advice_.clear();
  for (const Attempt& attempt : attempts_) {
    try {
      port_ = attempt.open();
      openedWith_ = attempt.name;
      return *port_;
    } catch (const EPortError& error) {
      AddFailure(attempt.name, error);
      if (attempt.foundNoPort != nullptr && !attempt.foundNoPort(error)) break;
    }
  }
  throw NotOpened();
}

template <class Access>
auto FirstParallelPort::Use(Access access) {
  PortBackend& port = Opened();
  try {
    return access(port);
  } catch (const ENoPortAnswers& error) {
    // The backend opened, but no port answered behind it: the opening failed after all, and
    // the next access tries again.
    port_.reset();
    AddFailure(openedWith_, error);
    throw NotOpened();
  }
}

void FirstParallelPort::Open() { Opened(); }

std::uint8_t FirstParallelPort::ReadPortByte(std::uint16_t port) {
  return Use([&](PortBackend& opened) { return opened.ReadPortByte(port); });
}

void FirstParallelPort::WritePortByte(std::uint16_t port, std::uint8_t value) {
  Use([&](PortBackend& opened) { opened.WritePortByte(port, value); });
}

std::optional<std::uint8_t> FirstParallelPort::DataLatch() {
  return Use([&](PortBackend& opened) { return opened.DataLatch(); });
}

void FirstParallelPort::Release() {
  if (port_) port_->Release();
}
