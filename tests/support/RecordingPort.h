// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <vector>

#include "bus/BusDelay.h"
#include "port/PortBackend.h"

// One thing that happened on the bus, in order.
struct BusEvent {
  enum class Kind { Write, Read, Delay };
  Kind kind;
  std::uint16_t port = 0;
  std::uint8_t value = 0;
  bool operator==(const BusEvent&) const = default;
};

// Records every port write, status read and BusDelay, in order, while installed. Reads and
// writes go on to an inner backend when one is given (the emulated adapter); otherwise status
// reads answer `idleStatus`. BusDelay calls are recorded instead of spun, unless `spin` is set.
class RecordingPort : public PortBackend, public BusDelayHook {
 public:
  explicit RecordingPort(PortBackend* inner = nullptr, bool spin = false);
  ~RecordingPort() override;
  RecordingPort(const RecordingPort&) = delete;
  RecordingPort& operator=(const RecordingPort&) = delete;

  std::uint8_t ReadPortByte(std::uint16_t port) override;
  void WritePortByte(std::uint16_t port, std::uint8_t value) override;
  void OnBusDelay() override;
  void Release() override;
  std::optional<std::uint8_t> DataLatch() override { return inner_ != nullptr ? inner_->DataLatch() : std::nullopt; }

  std::vector<BusEvent> events;
  std::uint8_t idleStatus = 0x10;
  int releases = 0;  // times the port was left to other programs

  std::size_t Count(BusEvent::Kind kind) const;
  std::vector<std::uint8_t> Writes() const;

 private:
  PortBackend* inner_;
  bool spin_;
  PortBackend* previousPort_;
  BusDelayHook* previousHook_;
};
