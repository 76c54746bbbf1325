// Intel HEX (INHX32) for one PIC18 part, both ways.
//
// Byte addresses: program memory from 0, ID locations 0x200000-0x200007, configuration
// 0x300000-0x30000D, data EEPROM from 0xF00000 and, for the simulated chip's own file only, the
// device ID at 0x3FFFFE-0x3FFFFF.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "plugins/pic18sim/core/device.h"
#include "plugins/pic18sim/core/image.h"

namespace pic18sim {

struct HexResult {
  Image image;                             // valid only when ok()
  std::optional<std::uint16_t> device_id;  // given when the file held both device ID bytes
  std::string error;                       // empty on success, else "line 12: bad checksum"

  bool ok() const { return error.empty(); }
};

// Record types 00, 01, 02 and 04 are used, 03 and 05 checked and ignored; upper- or lower-case
// digits; LF or CRLF line ends; empty lines are skipped and everything after the end record is
// ignored. Every record's checksum is checked. A malformed record, a bad checksum, data outside
// the part's memory or a missing end record is an error. Bytes the file does not give are erased.
HexResult ParseHex(std::string_view text, const Device& device, bool accept_device_id = false);

// The same for a file; a file that cannot be read, or that is not a regular file of at most
// kMaxHexFileBytes, is an error naming the file.
inline constexpr std::uintmax_t kMaxHexFileBytes = 16u << 20;
HexResult ReadHexFile(const std::filesystem::path& file, const Device& device,
                      bool accept_device_id = false);

// 16 data bytes a record, extended linear address records where the upper address changes,
// upper-case digits, LF line ends. Order: program memory (16-byte rows that are wholly erased are
// left out), data EEPROM (likewise), the ID locations (left out when all erased), the
// configuration bytes that the part implements (and any other one that is not at its erased
// value), the device ID when given, the end record.
std::string FormatHex(const Image& image, const Device& device,
                      std::optional<std::uint16_t> device_id = std::nullopt);

}  // namespace pic18sim
