// The named configuration settings of a part ("OSC = HS", "WDT = OFF"), read from its gputils
// header (/usr/share/gputils/header/p18f452.inc).
//
// The header lists them twice: once as comments ("OSC = HS   HS oscillator") grouped under a
// title, and once as EQU values per configuration register ("_HS_OSC_1H EQU H'FA'"), in the same
// order but not always under the same names. The two lists are paired group by group and
// option by option; a header whose lists do not pair up gives no settings at all.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plugins/pic18sim/core/device.h"

namespace pic18sim {

struct ConfigOption {
  std::string value;        // "HS"
  std::uint8_t bits;        // the setting's bits for this option (within `mask`)
  std::string description;  // "HS oscillator"

  bool operator==(const ConfigOption&) const = default;
};

struct ConfigSetting {
  std::string title;  // "Oscillator Selection bits"
  std::string name;   // "OSC"
  std::size_t index;  // configuration byte, 0 = 0x300000
  std::uint8_t mask;  // the bits the setting occupies
  std::vector<ConfigOption> options;

  bool operator==(const ConfigSetting&) const = default;
};

std::vector<ConfigSetting> ParseConfigHeader(std::string_view text);
// Reads `folder`/p18f452.inc etc.; empty when the header is missing or does not pair up.
std::vector<ConfigSetting> LoadConfigSettings(const std::filesystem::path& folder,
                                              const Device& device);

// The option the configuration bytes select, if any.
std::optional<std::size_t> SelectedOption(const ConfigSetting& setting,
                                          std::span<const std::uint8_t, kConfigBytes> config);
void ApplyOption(const ConfigSetting& setting, const ConfigOption& option,
                 std::span<std::uint8_t, kConfigBytes> config);

}  // namespace pic18sim
