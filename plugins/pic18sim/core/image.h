// A memory image of one PIC18: what a HEX file holds or what was read from a chip.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "plugins/pic18sim/core/device.h"

namespace pic18sim {

using ConfigBytes = std::array<std::uint8_t, kConfigBytes>;

struct Image {
  std::vector<std::uint8_t> program;  // device.program_bytes, byte address = index
  std::array<std::uint8_t, kIdBytes> id{};
  ConfigBytes config{};
  std::vector<std::uint8_t> eeprom;  // device.eeprom_bytes

  bool operator==(const Image&) const = default;
};

inline constexpr std::uint8_t kErasedByte = 0xFF;

// Everything erased: 0xFF, the configuration bytes at the device's unprogrammed values.
Image ErasedImage(const Device& device);

// The same contents fitted to another part: program memory and EEPROM cut or padded with
// erased bytes, the ID kept, the configuration at the new part's erased values (another part's
// configuration bits mean something else).
Image FitImage(const Image& image, const Device& device);

// The 16-bit checksum Microchip's tools show for an unprotected PIC18 (programming
// specifications DS39576 and DS39622, "Checksum computation"): the low 16 bits of the sum of
// every program memory byte plus every configuration byte ANDed with its implemented-bit mask.
// The ID locations and the data EEPROM do not enter. Example, an erased PIC18F452:
// 32768 * 0xFF = 0x7F8000 -> 0x8000, plus 0x27+0x0F+0x0F+0x01+0x85+0x0F+0xC0+0x0F+0xE0+0x0F+0x40
// = 0x2D8, gives 0x82D8; with 0xAA at addresses 0 and 0x7FFF it is 0x82D8 - 2 * 0x55 = 0x822E.
// An image read from a protected chip is summed as read (zeros where the code was hidden).
std::uint16_t Checksum(const Image& image, const Device& device);

// Word i = byte 2i (low) | byte 2i+1 (high).
void CopyWords(const Image& image, std::span<std::uint16_t> words);
void SetWords(Image& image, std::span<const std::uint16_t> words);

}  // namespace pic18sim
