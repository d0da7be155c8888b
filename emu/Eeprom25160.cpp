// SPDX-License-Identifier: MIT
#include "emu/Eeprom25160.h"

#include <string>

#include "runtime/HexText.h"

namespace {
constexpr std::uint8_t ReadInstruction = 0x03;
constexpr std::uint8_t ReadStatusInstruction = 0x05;
constexpr std::uint8_t WriteInProgress = 0x01;
constexpr std::uint16_t AddressMask = EepromSize - 1;  // A10..A0
}  // namespace

Eeprom25160::Eeprom25160(const EepromImage& image) : image_(image) {}

void Eeprom25160::InjectBitFlips(const BitFlips& flips) {
  flips_ = flips;
  flipRandom_.seed(flips.seed);
}

void Eeprom25160::FlipBitOfByteOut() {
  const std::uint16_t address = static_cast<std::uint16_t>((address_ - 1) & AddressMask);
  if (flips_.share <= 0 || !flips_.AppliesTo(reads_, address)) return;
  if (std::uniform_real_distribution<double>(0, 1)(flipRandom_) >= flips_.share) return;
  // The bits that may flip, and can flip the given way in this byte.
  std::uint8_t candidates = flips_.bits;
  if (flips_.direction == BitFlips::Direction::OneToZero) candidates &= byteOut_;
  if (flips_.direction == BitFlips::Direction::ZeroToOne) candidates &= static_cast<std::uint8_t>(~byteOut_);
  if (candidates == 0) return;
  int bit = std::uniform_int_distribution<int>(0, 7)(flipRandom_);
  while ((candidates & (1u << bit)) == 0) bit = (bit + 1) % 8;
  byteOut_ ^= static_cast<std::uint8_t>(1u << bit);
}

std::optional<bool> Eeprom25160::So() const { return so_; }

void Eeprom25160::Drive(bool cs, bool sck, bool si) {
  const bool csMoves = cs != cs_;
  const bool sckMoves = sck != sck_;
  const bool siMoves = si != si_;
  if (sckMoves && (csMoves || siMoves)) {
    throw EBusViolation(std::string(csMoves ? "CS" : "SI") +
                        " changed in the same write as SCK; in SPI mode 0 it must settle while SCK is low, "
                        "one write before the clock moves");
  }
  if (sck_ && csMoves)
    throw EBusViolation("CS changed while SCK was high; SPI mode 0 changes CS only while SCK is low");
  if (sck_ && siMoves)
    throw EBusViolation("SI changed while SCK was high; SPI mode 0 changes SI only while SCK is low");
  if (cs_ && sckMoves) throw EBusViolation("SCK moved while the chip was deselected (CS high)");

  cs_ = cs;
  sck_ = sck;
  si_ = si;
  if (csMoves) {
    if (cs && phase_ == Phase::Status && busyStatusReads_ > 0) --busyStatusReads_;
    phase_ = cs ? Phase::Deselected : Phase::Instruction;
    bitsIn_ = 0;
    shiftIn_ = 0;
    bitsOutLeft_ = 0;
    so_.reset();
  }
  if (sckMoves) sck ? OnRisingClock() : OnFallingClock();
}

void Eeprom25160::OnRisingClock() {
  if (phase_ == Phase::Data || phase_ == Phase::Status || phase_ == Phase::Deselected) return;
  shiftIn_ = (shiftIn_ << 1) | (si_ ? 1u : 0u);
  ++bitsIn_;
  if (phase_ == Phase::Instruction && bitsIn_ == 8) {
    if (shiftIn_ == ReadStatusInstruction) {
      phase_ = Phase::Status;
      return;
    }
    if (shiftIn_ != ReadInstruction) {
      throw EBusViolation("instruction " + HexText(shiftIn_) +
                          " is neither READ (0x03) nor RDSR (0x05), the only ones this emulated 25160 answers");
    }
    if (busyStatusReads_ != 0)
      throw EBusViolation("READ sent while the chip is busy with a write; it answers only RDSR");
    phase_ = Phase::Address;
    bitsIn_ = 0;
    shiftIn_ = 0;
  } else if (phase_ == Phase::Address && bitsIn_ == 16) {
    address_ = static_cast<std::uint16_t>(shiftIn_ & AddressMask);
    phase_ = Phase::Data;
    ++reads_;
  }
}

void Eeprom25160::OnFallingClock() {
  if (phase_ != Phase::Data && phase_ != Phase::Status) return;
  if (bitsOutLeft_ == 0) {
    bitsOutLeft_ = 8;
    if (phase_ == Phase::Status) {
      // Clocked on, the chip sends its status again.
      byteOut_ = busyStatusReads_ != 0 ? (status_ | WriteInProgress) : status_;
    } else {
      byteOut_ = image_[address_];
      address_ = (address_ + 1) & AddressMask;
      FlipBitOfByteOut();
    }
  }
  --bitsOutLeft_;
  so_ = ((byteOut_ >> bitsOutLeft_) & 1) != 0;
}
