// SPDX-License-Identifier: MIT
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "port/PortBackend.h"
#include "port/PortError.h"

// Who reads the advice when the port does not open: a user at a terminal (lpt-dump, whose
// options can name another port or the emulated chip) or at a window (which reads the first port
// only, and whose advice must be something a window user can do).
enum class AdviceReader { Terminal, Window };

// The first parallel port, opened at its first access, trying each of the platform's ways in
// turn (DefaultParallelPortAttempts). When none opens, the access raises EPortError listing each
// attempt with its OS error and the fixes; the next access tries again, so a user who loads the
// driver or fixes permissions does not have to restart the program.
class FirstParallelPort : public PortBackend {
 public:
  struct Attempt {
    std::string name;
    std::function<std::unique_ptr<PortBackend>()> open;
    // Whether a failure of this way says there is no port here at all, so the next way may be
    // tried; a port that is there but held or refused ends the search. None: always go on.
    bool (*foundNoPort)(const EPortError&) = nullptr;
  };

  // The platform's ways, DefaultParallelPortAttempts.
  explicit FirstParallelPort(AdviceReader reader = AdviceReader::Terminal);
  explicit FirstParallelPort(std::vector<Attempt> attempts, AdviceReader reader = AdviceReader::Terminal);

  // Opens the port now, without any access, so a missing port is reported before the bus is used.
  void Open();

  std::uint8_t ReadPortByte(std::uint16_t port) override;
  void WritePortByte(std::uint16_t port, std::uint8_t value) override;
  void Release() override;
  std::optional<std::uint8_t> DataLatch() override;

 private:
  PortBackend& Opened();
  template <class Access>
  auto Use(Access access);
  void AddFailure(const std::string& attempt, const EPortError& error);
  EPortError NotOpened() const;

  std::vector<Attempt> attempts_;
  AdviceReader reader_;
  std::unique_ptr<PortBackend> port_;
  std::string openedWith_;
  std::string failures_;  // of the last opening, one line per attempt
  std::string advice_;
};

// The platform's ways to the first parallel port, in the order they are tried.
std::vector<FirstParallelPort::Attempt> DefaultParallelPortAttempts();

// The fix that fits the failure's cause: permissions, a missing driver or port, a port held by
// another driver, a device that is no parallel port. Without a known cause, every fix.
std::string PortAdviceFor(const EPortError& error, AdviceReader reader = AdviceReader::Terminal);
