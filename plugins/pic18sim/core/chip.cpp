#include "plugins/pic18sim/core/chip.h"

#include <algorithm>

namespace pic18sim {

Chip::Chip(const Device& device, Image cells) : device_(&device), cells_(std::move(cells)) {
  for (std::size_t i = 0; i < kConfigBytes; ++i) cells_.config[i] &= device.config[i].mask;
}

bool Chip::BlockBit(std::uint32_t address, std::size_t block_index, std::uint8_t boot_bit) const {
  if (address < device_->boot_block_end) return ProgramBit(block_index + 1, boot_bit);
  return ProgramBit(block_index, static_cast<std::uint8_t>(1u << (address / device_->block_bytes)));
}

Image Chip::Read() const {
  Image image = cells_;
  for (std::uint32_t at = 0; at < image.program.size(); ++at) {
    if (BlockBit(at, kCpIndex, kCpb)) image.program[at] = 0;
  }
  if (ProgramBit(kCpbCpdIndex, kCpd)) std::ranges::fill(image.eeprom, 0);
  return image;
}

bool Chip::CodeProtected() const {
  const std::uint8_t cp_bits = static_cast<std::uint8_t>((1u << device_->blocks()) - 1);
  return (~cells_.config[kCpIndex] & cp_bits) != 0 || ProgramBit(kCpbCpdIndex, kCpb) ||
         ProgramBit(kCpbCpdIndex, kCpd);
}

bool Chip::Blank() const {
  return cells_ == ErasedImage(*device_);
}

void Chip::WriteProgram(std::uint32_t address, std::span<const std::uint8_t> bytes) {
  for (std::uint32_t at = address; at < address + bytes.size() && at < cells_.program.size();
       ++at) {
    if (!BlockBit(at, kWrtIndex, kWrtb)) cells_.program[at] = bytes[at - address];
  }
}

void Chip::WriteEeprom(std::uint32_t address, std::span<const std::uint8_t> bytes) {
  if (ProgramBit(kWrtCbdIndex, kWrtd)) return;
  for (std::uint32_t at = address; at < address + bytes.size() && at < cells_.eeprom.size(); ++at) {
    cells_.eeprom[at] = bytes[at - address];
  }
}

void Chip::WriteId(std::span<const std::uint8_t, kIdBytes> id) {
  std::ranges::copy(id, cells_.id.begin());
}

void Chip::WriteConfig(std::span<const std::uint8_t, kConfigBytes> config) {
  if (ProgramBit(kWrtCbdIndex, kWrtc)) return;
  for (std::size_t i = 0; i < kConfigBytes; ++i) {
    std::uint8_t value = config[i] & device_->config[i].mask;
    cells_.config[i] = i >= kCpIndex ? static_cast<std::uint8_t>(cells_.config[i] & value) : value;
  }
}

}  // namespace pic18sim
