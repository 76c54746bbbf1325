// The simulated chip in the socket: what its cells hold, and how the programming interface
// reaches them. Code protection and write protection act as on the silicon.
#pragma once

#include <cstdint>
#include <span>

#include "plugins/pic18sim/core/device.h"
#include "plugins/pic18sim/core/image.h"

namespace pic18sim {

class Chip {
 public:
  // Simulated silicon reports revision 1 in DEVID1<4:0>.
  static constexpr std::uint16_t kRevision = 0x01;

  explicit Chip(const Device& device) : Chip(device, ErasedImage(device)) {}
  // `cells` must be sized for `device`; configuration bits a part does not implement are
  // dropped, as the silicon would.
  Chip(const Device& device, Image cells);

  const Device& device() const { return *device_; }
  // The raw contents, including what protection hides from a programmer.
  const Image& cells() const { return cells_; }
  std::uint16_t device_id() const {
    return static_cast<std::uint16_t>(device_->device_id | kRevision);
  }

  // What a programmer reads: code-protected blocks and a code-protected data EEPROM read as
  // zeros; the ID locations, the configuration and the device ID stay readable.
  Image Read() const;
  // Any code-protection bit (CPn, CPB, CPD) programmed.
  bool CodeProtected() const;
  // Everything at its erased value.
  bool Blank() const;

  // Erases and writes one row of program memory; a write-protected block (WRTn, WRTB) keeps its
  // contents. Rows must lie inside program memory.
  void WriteProgram(std::uint32_t address, std::span<const std::uint8_t> bytes);
  // Data EEPROM bytes from `address` (relative to 0xF00000); refused when WRTD is programmed.
  void WriteEeprom(std::uint32_t address, std::span<const std::uint8_t> bytes);
  void WriteId(std::span<const std::uint8_t, kIdBytes> id);
  // Unimplemented bits are dropped; nothing is written while WRTC is programmed; the protection
  // bytes (CONFIG5L to CONFIG7H) only go from 1 to 0, as only a bulk erase sets them again.
  void WriteConfig(std::span<const std::uint8_t, kConfigBytes> config);
  // The only way to clear code protection: everything back to its erased value.
  void BulkErase() { cells_ = ErasedImage(*device_); }

 private:
  bool ProgramBit(std::size_t index, std::uint8_t bit) const {
    return (cells_.config[index] & bit) == 0;
  }
  bool BlockBit(std::uint32_t address, std::size_t block_index, std::uint8_t boot_bit) const;

  const Device* device_;
  Image cells_;
};

}  // namespace pic18sim
