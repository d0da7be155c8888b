// SPDX-License-Identifier: MIT
// The adapter and a 25160 behind a ppdev device that does not exist, for QEMU: loaded into
// qemu-system-x86_64 with LD_PRELOAD, it answers the ppdev calls that QEMU's parallel chardev
// makes on LPT_EMU_DEVICE (PPCLAIM, PPWDATA, PPRDATA, PPRSTATUS, PPWCONTROL, PPRCONTROL, ...),
// so the guest's own port at 0x378 reaches the emulated chip through the guest kernel's real
// drivers. The chip holds LPT_EMU_IMAGE. LPT_EMU_EMPTY_DEVICE, where set, names a second port
// whose adapter has no chip in its socket (SO pulled up), for the guest's second port.
//
// It judges what reaches the chip and writes one line per event to LPT_EMU_LOG:
//   "noise: ..."                                   writes outside the supply pattern, the
//                                                  kernel's probe (0xAA, 0x55, ...): the adapter
//                                                  is unpowered, the chip starts afresh
//   "READ: exact, idle at the end"                 one whole READ, write for write
//   "RDSR: exact, idle at the end"                 one whole status read (lpt-dump's chip check)
//   "READ: interrupted after N writes, clock low, then deselected"
//   "not the READ: ..." / "violation: ..."         anything else
//   "end: idle (0xF1)" / "end: left at 0xXX"       when QEMU exits
//
// Preloaded into the Linux window program instead (bench/window-pace), with LPT_EMU_DEVICE set to
// /dev/parport0, it is the port that program opens; LPT_EMU_TIMES then names a file that gets each
// whole read's data register writes, time-stamped ("MICROS VALUE" lines), once the read ends.
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "dump/ImageFile.h"
#include "emu/Eeprom25160.h"
#include "port/AdapterWiring.h"
#include "runtime/HexText.h"

namespace {
constexpr std::uint8_t Idle = 0xF1;

// The data register writes of one whole READ of the chip: select, the instruction 0x03, the
// address 0, 2048 bytes of eight clocks each, deselect.
std::vector<std::uint8_t> WholeRead() {
  std::vector<std::uint8_t> writes{0xF0};
  const auto pulses = [&](int count, std::uint8_t high, std::uint8_t low) {
    for (int i = 0; i < count; ++i) writes.insert(writes.end(), {high, low});
  };
  pulses(6, 0xF2, 0xF0);
  writes.push_back(0xF4);
  pulses(2, 0xF6, 0xF4);
  writes.push_back(0xF0);
  pulses(16 + 8 * 2048, 0xF2, 0xF0);
  writes.push_back(Idle);
  return writes;
}

// The data register writes of one whole status read: select, the instruction 0x05, SI low, eight
// clocks, deselect.
std::vector<std::uint8_t> WholeStatusRead() {
  return {0xF0, 0xF2, 0xF0, 0xF2, 0xF0, 0xF2, 0xF0, 0xF2, 0xF0, 0xF2, 0xF0, 0xF4, 0xF6,
          0xF4, 0xF0, 0xF2, 0xF0, 0xF4, 0xF6, 0xF4, 0xF0, 0xF2, 0xF0, 0xF2, 0xF0, 0xF2,
          0xF0, 0xF2, 0xF0, 0xF2, 0xF0, 0xF2, 0xF0, 0xF2, 0xF0, 0xF2, 0xF0, 0xF1};
}

class EmulatedPort {
 public:
  // An adapter with the chip in its socket logs what reaches it; an empty one logs nothing.
  explicit EmulatedPort(bool chipFitted)
      : image_(LoadEepromImage(std::getenv("LPT_EMU_IMAGE"))),
        log_(chipFitted && std::getenv("LPT_EMU_LOG") != nullptr ? std::fopen(std::getenv("LPT_EMU_LOG"), "a")
                                                                 : nullptr),
        chipFitted_(chipFitted) {}
  ~EmulatedPort() {
    FlushNoise();
    Log(latch_ == Idle ? "end: idle (0xF1)" : "end: left at " + HexText(latch_));
    if (log_ != nullptr) std::fclose(log_);
  }

  void WriteData(std::uint8_t value) {
    if (times_ != nullptr) TimeStamp(value);
    latch_ = value;
    if ((value & (Wiring::UnusedLowBit | Wiring::SupplyBits)) != Wiring::SupplyBits) {
      // The adapter draws its supply from data bits 4..7: the chip is off and starts afresh. The
      // kernel's probe of the port writes such patterns; a READ cut short by one is no READ.
      if (!transaction_.empty()) {
        Log("noise: a transaction of " + Count() + " writes cut short by " + HexText(value) + ", off the supply");
      }
      transaction_.clear();
      chip_.reset();
      ++noise_;
      return;
    }
    FlushNoise();
    if (!chipFitted_) return;
    if (!chip_) chip_ = std::make_unique<Eeprom25160>(image_);
    try {
      chip_->Drive(value & Wiring::CsBit, value & Wiring::SckBit, value & Wiring::SiBit);
    } catch (const EBusViolation& violation) {
      Log(std::string("violation: ") + violation.what() + " (write " + HexText(value) + ")");
      chip_.reset();
      transaction_.clear();
      return;
    }
    const bool selected = (value & Wiring::CsBit) == 0;
    if (transaction_.empty() && !selected) return;
    transaction_.push_back(value);
    if (!selected) Judge();
  }

  std::uint8_t ReadData() const { return (control_ & 0x20) != 0 ? 0xFF : latch_; }

  // SO, inverted, on Select; the other inputs carry noise, but for the bits the kernel's port
  // driver reads as the EPP timeout and reserved ones.
  std::uint8_t ReadStatus() {
    const bool so = chip_ && chip_->So().has_value() ? *chip_->So() : true;
    const auto noise = static_cast<std::uint8_t>(noise_random_() & 0xE8);
    return static_cast<std::uint8_t>(noise | (so ? 0 : Wiring::SoStatusBit));
  }

  void WriteControl(std::uint8_t value) { control_ = value; }
  std::uint8_t ReadControl() const { return control_; }

 private:
  std::string Count() const { return std::to_string(transaction_.size()); }

  void Judge() {
    static const std::vector<std::uint8_t> whole = WholeRead();
    const std::vector<std::uint8_t>& got = transaction_;
    if (got == WholeStatusRead()) {
      Log("RDSR: exact, idle at the end");
      transaction_.clear();
      return;
    }
    std::size_t same = 0;
    while (same < got.size() && same < whole.size() && got[same] == whole[same]) ++same;
    if (same == got.size() && same == whole.size()) {
      Log("READ: exact, idle at the end");
    } else if (same > 0 && same < whole.size()) {
      const std::vector<std::uint8_t> rest(got.begin() + static_cast<std::ptrdiff_t>(same), got.end());
      const std::uint8_t last = got[same - 1];
      const bool clockWasLow = (last & Wiring::SckBit) == 0;
      if ((clockWasLow && rest == std::vector<std::uint8_t>{Idle}) ||
          (!clockWasLow &&
           rest == std::vector<std::uint8_t>{static_cast<std::uint8_t>(last & ~Wiring::SckBit), Idle})) {
        Log("READ: interrupted after " + std::to_string(same) + " writes, clock low, then deselected");
      } else {
        Log("not the READ: write " + std::to_string(same + 1) + " is " + HexText(got[same]) + ", " +
            HexText(whole[same]) + " expected");
      }
    } else {
      Log("not the READ: " + Count() + " writes");
    }
    transaction_.clear();
  }

  void TimeStamp(std::uint8_t value) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    stamps_.emplace_back(std::chrono::duration<double, std::micro>(now).count(), value);
    if (value != Idle) return;
    if (stamps_.size() > 30000) {  // a whole read, not a probe's or a start-up's writes
      if (std::FILE* file = std::fopen(times_, "a")) {
        for (const auto& [micros, written] : stamps_) std::fprintf(file, "%.3f %u\n", micros, written);
        std::fclose(file);
      }
    }
    stamps_.clear();
  }

  void FlushNoise() {
    if (noise_ == 0) return;
    Log("noise: " + std::to_string(noise_) + " writes outside the supply pattern");
    noise_ = 0;
  }

  void Log(const std::string& line) {
    if (log_ == nullptr) return;
    std::fprintf(log_, "%s\n", line.c_str());
    std::fflush(log_);
  }

  EepromImage image_;
  std::FILE* log_;
  const char* times_ = std::getenv("LPT_EMU_TIMES");
  std::vector<std::pair<double, std::uint8_t>> stamps_;
  std::unique_ptr<Eeprom25160> chip_;
  std::vector<std::uint8_t> transaction_;
  std::uint8_t latch_ = 0;
  std::uint8_t control_ = 0x0C;
  unsigned noise_ = 0;
  std::minstd_rand noise_random_{5};
  bool chipFitted_;
};

// The emulated ports by the descriptor QEMU holds for each.
std::mutex portMutex;
std::map<int, std::unique_ptr<EmulatedPort>> ports;

bool Names(const char* variable, const char* path) {
  const char* device = std::getenv(variable);
  return device != nullptr && path != nullptr && std::strcmp(path, device) == 0;
}
bool IsEmulatedDevice(const char* path) { return Names("LPT_EMU_DEVICE", path) || Names("LPT_EMU_EMPTY_DEVICE", path); }

template <class Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int OpenEmulated(const char* path) {
  const std::lock_guard lock(portMutex);
  const int descriptor = Next<int (*)(const char*, int, ...)>("open")("/dev/null", O_RDWR | O_CLOEXEC);
  if (descriptor >= 0) ports[descriptor] = std::make_unique<EmulatedPort>(Names("LPT_EMU_DEVICE", path));
  return descriptor;
}

bool IsEmulatedPort(int descriptor) {
  const std::lock_guard lock(portMutex);
  return ports.count(descriptor) > 0;
}

int Control(int descriptor, unsigned long request, void* argument) {
  const std::lock_guard lock(portMutex);
  EmulatedPort* port = ports.at(descriptor).get();
  auto* byte = static_cast<std::uint8_t*>(argument);
  switch (request) {
    case PPCLAIM:
    case PPRELEASE:
    case PPSETMODE:
    case PPNEGOT:
    case PPDATADIR:
      return 0;
    case PPWDATA:
      port->WriteData(*byte);
      return 0;
    case PPRDATA:
      *byte = port->ReadData();
      return 0;
    case PPRSTATUS:
      *byte = port->ReadStatus();
      return 0;
    case PPWCONTROL:
      port->WriteControl(*byte);
      return 0;
    case PPRCONTROL:
      *byte = port->ReadControl();
      return 0;
    default:
      errno = ENOTTY;
      return -1;
  }
}

mode_t ModeOf(int flags, va_list arguments) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}
}  // namespace

extern "C" {
int open(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeOf(flags, arguments);
  va_end(arguments);
  if (IsEmulatedDevice(path)) return OpenEmulated(path);
  return Next<int (*)(const char*, int, ...)>("open")(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeOf(flags, arguments);
  va_end(arguments);
  if (IsEmulatedDevice(path)) return OpenEmulated(path);
  return Next<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
}

// What a program built with _FORTIFY_SOURCE calls for open(path, flags).
int __open_2(const char* path, int flags) {
  if (IsEmulatedDevice(path)) return OpenEmulated(path);
  return Next<int (*)(const char*, int)>("__open_2")(path, flags);
}

int openat(int folder, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeOf(flags, arguments);
  va_end(arguments);
  if (IsEmulatedDevice(path)) return OpenEmulated(path);
  return Next<int (*)(int, const char*, int, ...)>("openat")(folder, path, flags, mode);
}

int openat64(int folder, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeOf(flags, arguments);
  va_end(arguments);
  if (IsEmulatedDevice(path)) return OpenEmulated(path);
  return Next<int (*)(int, const char*, int, ...)>("openat64")(folder, path, flags, mode);
}

int ioctl(int descriptor, unsigned long request, ...) noexcept {
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);
  if (IsEmulatedPort(descriptor)) return Control(descriptor, request, argument);
  return Next<int (*)(int, unsigned long, ...)>("ioctl")(descriptor, request, argument);
}

int close(int descriptor) {
  {
    const std::lock_guard lock(portMutex);
    ports.erase(descriptor);
  }
  return Next<int (*)(int)>("close")(descriptor);
}
}
