#include "plugins/pic18sim/core/device.h"

#include <algorithm>
#include <cctype>

#include "settings/key_tree.h"

namespace pic18sim {
namespace {

// Configuration bytes in address order, 0x300000 to 0x30000D: {implemented mask, unprogrammed
// value}. Sources: the "configuration bits and device IDs" tables of DS39564 (PIC18FXX2),
// DS39631 (PIC18F2420/2520/4420/4520), DS39632 (PIC18F2455/2550/4455/4550), DS39626
// (PIC18F2525/2620/4525/4620) and DS39609 (PIC18F6520/6620/6720/8520/8620/8720); the same masks are
// what the checksum tables of the programming specifications DS39576, DS39583 and DS39622 AND the
// bytes with.
constexpr std::array<ConfigByte, kConfigBytes> kFxx2Config = {{
    {0x00, 0x00},
    {0x27, 0x27},
    {0x0F, 0x0F},
    {0x0F, 0x0F},
    {0x00, 0x00},
    {0x01, 0x01},
    {0x85, 0x85},
    {0x00, 0x00},
    {0x0F, 0x0F},
    {0xC0, 0xC0},
    {0x0F, 0x0F},
    {0xE0, 0xE0},
    {0x0F, 0x0F},
    {0x40, 0x40},
}};
constexpr std::array<ConfigByte, kConfigBytes> kF4520Config = {{
    {0x00, 0x00},
    {0xCF, 0x07},
    {0x1F, 0x1F},
    {0x1F, 0x1F},
    {0x00, 0x00},
    {0x87, 0x83},
    {0xC5, 0x85},
    {0x00, 0x00},
    {0x0F, 0x0F},
    {0xC0, 0xC0},
    {0x0F, 0x0F},
    {0xE0, 0xE0},
    {0x0F, 0x0F},
    {0x40, 0x40},
}};
// The 28-pin PIC18F2550 lacks the ICPRT bit of the 44-pin PIC18F4550 (CONFIG4L bit 5).
constexpr std::array<ConfigByte, kConfigBytes> kF2550Config = {{
    {0x3F, 0x00},
    {0xCF, 0x05},
    {0x3F, 0x1F},
    {0x1F, 0x1F},
    {0x00, 0x00},
    {0x87, 0x83},
    {0xC5, 0x85},
    {0x00, 0x00},
    {0x0F, 0x0F},
    {0xC0, 0xC0},
    {0x0F, 0x0F},
    {0xE0, 0xE0},
    {0x0F, 0x0F},
    {0x40, 0x40},
}};
constexpr std::array<ConfigByte, kConfigBytes> kF4550Config = {{
    {0x3F, 0x00},
    {0xCF, 0x05},
    {0x3F, 0x1F},
    {0x1F, 0x1F},
    {0x00, 0x00},
    {0x87, 0x83},
    {0xE5, 0x85},
    {0x00, 0x00},
    {0x0F, 0x0F},
    {0xC0, 0xC0},
    {0x0F, 0x0F},
    {0xE0, 0xE0},
    {0x0F, 0x0F},
    {0x40, 0x40},
}};

// 128 KB in eight 16 KB blocks: CP0-CP7, WRT0-WRT7 and EBTR0-EBTR7 fill their bytes. The
// checksum table of DS39583 (PIC18FXX20) gives 0x05A8 for an erased PIC18F6720 with these masks.
constexpr std::array<ConfigByte, kConfigBytes> kF6720Config = {{
    {0x00, 0x00},
    {0x27, 0x27},
    {0x0F, 0x0F},
    {0x0F, 0x0F},
    {0x00, 0x00},
    {0x01, 0x01},
    {0x85, 0x85},
    {0x00, 0x00},
    {0xFF, 0xFF},
    {0xC0, 0xC0},
    {0xFF, 0xFF},
    {0xE0, 0xE0},
    {0xFF, 0xFF},
    {0x40, 0x40},
}};

// Device IDs: DEVID2 (DEV10:DEV3) and DEVID1 (DEV2:DEV0, REV4:REV0) from the same datasheets.
constexpr Device kDevices[] = {
    {"PIC18F452", 0x8000, 256, 0x0420, 0x0200, 0x2000, kFxx2Config},
    {"PIC18F252", 0x8000, 256, 0x0400, 0x0200, 0x2000, kFxx2Config},
    {"PIC18F2520", 0x8000, 256, 0x1100, 0x0800, 0x2000, kF4520Config},
    {"PIC18F4520", 0x8000, 256, 0x1080, 0x0800, 0x2000, kF4520Config},
    {"PIC18F2550", 0x8000, 256, 0x1240, 0x0800, 0x2000, kF2550Config},
    {"PIC18F4550", 0x8000, 256, 0x1200, 0x0800, 0x2000, kF4550Config},
    {"PIC18F4620", 0x10000, 1024, 0x0C00, 0x0800, 0x4000, kF4520Config},
    {"PIC18F6720", 0x20000, 1024, 0x0620, 0x0200, 0x4000, kF6720Config},
};

}  // namespace

std::span<const Device> Devices() {
  return kDevices;
}

const Device& DefaultDevice() {
  return kDevices[0];
}

const Device* FindDevice(std::string_view name) {
  auto it = std::ranges::find_if(
      kDevices, [&](const Device& d) { return tessil::EqualsNoCase(d.name, name); });
  return it == std::end(kDevices) ? nullptr : &*it;
}

const Device* FindDeviceById(std::uint16_t device_id) {
  auto it = std::ranges::find_if(
      kDevices, [&](const Device& d) { return d.device_id == (device_id & 0xFFE0); });
  return it == std::end(kDevices) ? nullptr : &*it;
}

std::string ConfigRegisterName(std::size_t index) {
  return "CONFIG" + std::to_string(index / 2 + 1) + (index % 2 ? "H" : "L");
}

std::string HeaderFileName(const Device& device) {
  std::string name = "p";
  for (char c : device.name.substr(3))
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name + ".inc";
}

}  // namespace pic18sim
