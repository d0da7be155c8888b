// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <optional>
#include <random>
#include <stdexcept>

#include "dump/EepromImage.h"
#include "emu/BitFlips.h"

// A broken bus protocol seen by the emulated hardware: which access broke which rule.
class EBusViolation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A 25160 SPI EEPROM seen from its pins: READ (0x03) with a 16-bit address of which A10..A0
// count, wrapping from 2047 to 0, and RDSR (0x05); data out MSB first on falling SCK edges, SO
// floating while deselected. SPI mode 0 strictly: CS and SI change only while SCK is low, SCK only
// while selected. Busy with a write, it answers RDSR only.
class Eeprom25160 {
 public:
  explicit Eeprom25160(const EepromImage& image);

  // New levels on CS, SCK and SI (true = high). Raises EBusViolation on a broken rule.
  void Drive(bool cs, bool sck, bool si);

  // The level the chip drives on SO, or nothing while SO floats.
  std::optional<bool> So() const;

  // From now on, bytes shifted out have bits flipped as `flips` says: a flaky contact for
  // testing repeated reads.
  void InjectBitFlips(const BitFlips& flips);

  // The status register's stored bits (WPEN, BP1, BP0), and a write cycle in progress for the
  // next `statusReads` RDSR transactions (-1: a write that never ends).
  void SetStatus(std::uint8_t status) { status_ = status; }
  void BusyFor(int statusReads) { busyStatusReads_ = statusReads; }

 private:
  enum class Phase { Deselected, Instruction, Address, Data, Status };

  void OnRisingClock();
  void OnFallingClock();

  EepromImage image_;
  bool cs_ = true;
  bool sck_ = false;
  bool si_ = false;
  Phase phase_ = Phase::Deselected;
  int bitsIn_ = 0;
  std::uint32_t shiftIn_ = 0;
  std::uint16_t address_ = 0;
  std::uint8_t byteOut_ = 0;
  int bitsOutLeft_ = 0;
  std::optional<bool> so_;
  void FlipBitOfByteOut();

  BitFlips flips_;
  std::mt19937 flipRandom_;
  int reads_ = 0;  // READ transactions so far
  std::uint8_t status_ = 0;
  int busyStatusReads_ = 0;
};
