// libFuzzer target for the INHX32 parser. The first byte picks the part (and, in its top bit,
// whether the device ID is accepted); the rest is the file. Whatever parses must read back
// unchanged from the writer's own output.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "plugins/pic18sim/core/intel_hex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pic18sim;
  if (size == 0) return 0;
  const Device& device = Devices()[(data[0] & 0x7F) % Devices().size()];
  const bool accept_device_id = (data[0] & 0x80) != 0;
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  HexResult parsed = ParseHex(text, device, accept_device_id);
  if (!parsed.ok()) return 0;
  HexResult again = ParseHex(FormatHex(parsed.image, device, parsed.device_id), device, accept_device_id);
  if (!again.ok() || again.image != parsed.image || again.device_id != parsed.device_id) __builtin_trap();
  return 0;
}
