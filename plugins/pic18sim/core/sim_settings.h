// What the plug-in keeps in the program's settings store: the thirteen values of a
// parallel-port programmer under \Software\Tessil\DLL\Settings, and the simulation's own
// switches under \Software\Tessil\DLL\Simulator.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace pic18sim {

inline constexpr const char* kHardwareKey = tessil::keys::kDllSettings;
inline constexpr char kSimulatorKey[] = "\\Software\\Tessil\\DLL\\Simulator";

// The lines of the programmer (mask and inversion each), two delays and the port address,
// with the defaults the program seeds them with.
inline constexpr std::span kHardwareValues{tessil::kPluginValueDefaults};

// The simulation's switches and their value names in the store.
struct Switches {
  bool connected = true;           // "Connected": the programmer answers
  bool inserted = true;            // "ChipInserted": a chip sits in the socket
  std::string chip = "PIC18F452";  // "ChipType": the part selected and in the socket
  bool verify_fault = false;       // "VerifyFault": the first program byte does not take its value
  // "RowTime": simulated microseconds per 64-byte row written (a row read takes a quarter);
  // 1000 makes a full program of a 32 KB part about 0.65 s.
  std::uint32_t row_time_us = 1000;

  bool operator==(const Switches&) const = default;
};

struct SettingsForm {
  std::array<std::uint32_t, kHardwareValues.size()> hardware{};
  Switches switches;

  bool operator==(const SettingsForm&) const = default;
};

// Missing keys and values, values of the wrong type and an unknown chip type read as their
// defaults. Errors of the store itself (an unreadable file) are raised.
SettingsForm LoadSettings(const tessil::Store& store);
// Creates both keys when missing and writes every value.
void SaveSettings(tessil::Store& store, const SettingsForm& form);

// A whole number from 0 to 4294967295, decimal or hexadecimal after "0x"; surrounding spaces
// are allowed.
std::optional<std::uint32_t> ParseUnsigned(std::string_view text);

}  // namespace pic18sim
