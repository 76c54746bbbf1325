// The PIC18 parts the simulated programmer knows: memory sizes, device ID and the
// configuration bytes, taken from the datasheets and programming specifications.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pic18sim {

// Byte addresses of the regions a PIC18 HEX file can address.
inline constexpr std::uint32_t kIdAddress = 0x200000;
inline constexpr std::uint32_t kConfigAddress = 0x300000;
inline constexpr std::uint32_t kDeviceIdAddress = 0x3FFFFE;
inline constexpr std::uint32_t kEepromAddress = 0xF00000;
inline constexpr std::size_t kIdBytes = 8;
inline constexpr std::size_t kConfigBytes = 14;  // CONFIG1L (0x300000) to CONFIG7H (0x30000D)

// One configuration byte. Unimplemented bits read as 0, so `erased` (the unprogrammed value of
// the datasheet) has them cleared; a byte with no register has mask 0 and erased value 0.
struct ConfigByte {
  std::uint8_t mask;
  std::uint8_t erased;
};

// The code-protection bits (0 = protected). Every part in the table has the same PIC18 layout.
inline constexpr std::size_t kCpIndex = 8;       // CONFIG5L: CPn in bit n, one per block
inline constexpr std::size_t kCpbCpdIndex = 9;   // CONFIG5H
inline constexpr std::uint8_t kCpb = 0x40;       // boot block code-protected
inline constexpr std::uint8_t kCpd = 0x80;       // data EEPROM code-protected
inline constexpr std::size_t kWrtIndex = 10;     // CONFIG6L: WRTn in bit n, one per block
inline constexpr std::size_t kWrtCbdIndex = 11;  // CONFIG6H
inline constexpr std::uint8_t kWrtc = 0x20;      // configuration write-protected
inline constexpr std::uint8_t kWrtb = 0x40;      // boot block write-protected
inline constexpr std::uint8_t kWrtd = 0x80;      // data EEPROM write-protected

struct Device {
  std::string_view name;         // "PIC18F452"
  std::uint32_t program_bytes;   // program memory from address 0
  std::uint32_t eeprom_bytes;    // data EEPROM, at 0xF00000 in a HEX file
  std::uint16_t device_id;       // DEVID2:DEVID1 with the revision bits (DEVID1<4:0>) clear
  std::uint32_t boot_block_end;  // the boot block is [0, boot_block_end)
  std::uint32_t
      block_bytes;  // block n is [n * block_bytes, (n + 1) * block_bytes), minus the boot block
  std::array<ConfigByte, kConfigBytes> config;

  std::uint32_t words() const { return program_bytes / 2; }
  std::uint32_t blocks() const { return program_bytes / block_bytes; }
};

// Every part, PIC18F452 first.
std::span<const Device> Devices();
const Device& DefaultDevice();  // PIC18F452
// Case-insensitive; nullptr for an unknown name.
const Device* FindDevice(std::string_view name);
// By the device ID word read from 0x3FFFFE; the revision bits are ignored.
const Device* FindDeviceById(std::uint16_t device_id);

// "CONFIG1L" ... "CONFIG7H" for index 0 ... 13.
std::string ConfigRegisterName(std::size_t index);
// The gputils header of a part: "p18f452.inc".
std::string HeaderFileName(const Device& device);

}  // namespace pic18sim
