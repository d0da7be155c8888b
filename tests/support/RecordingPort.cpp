// SPDX-License-Identifier: MIT
#include "tests/support/RecordingPort.h"

#include <algorithm>

#include "bus/Port95.h"

RecordingPort::RecordingPort(PortBackend* inner, bool spin)
    : inner_(inner), spin_(spin), previousPort_(InstallPortBackend(this)), previousHook_(InstallBusDelayHook(this)) {}

RecordingPort::~RecordingPort() {
  InstallPortBackend(previousPort_);
  InstallBusDelayHook(previousHook_);
}

std::uint8_t RecordingPort::ReadPortByte(std::uint16_t port) {
  const std::uint8_t value = inner_ != nullptr ? inner_->ReadPortByte(port) : idleStatus;
  events.push_back({BusEvent::Kind::Read, port, value});
  return value;
}

void RecordingPort::WritePortByte(std::uint16_t port, std::uint8_t value) {
  events.push_back({BusEvent::Kind::Write, port, value});
  if (inner_ != nullptr) inner_->WritePortByte(port, value);
}

void RecordingPort::OnBusDelay() {
  events.push_back({BusEvent::Kind::Delay});
  if (spin_) SpinBusDelay();
}

std::size_t RecordingPort::Count(BusEvent::Kind kind) const {
  return static_cast<std::size_t>(
      std::count_if(events.begin(), events.end(), [kind](const BusEvent& event) { return event.kind == kind; }));
}

std::vector<std::uint8_t> RecordingPort::Writes() const {
  std::vector<std::uint8_t> writes;
  for (const BusEvent& event : events) {
    if (event.kind == BusEvent::Kind::Write) writes.push_back(event.value);
  }
  return writes;
}

void RecordingPort::Release() {
  ++releases;
  if (inner_ != nullptr) inner_->Release();
}
