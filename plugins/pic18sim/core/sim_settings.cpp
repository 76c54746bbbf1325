#include "plugins/pic18sim/core/sim_settings.h"

#include <charconv>

#include "plugins/pic18sim/core/device.h"

namespace pic18sim {
namespace {

std::optional<std::uint32_t> ReadNumber(const tessil::Store& store, std::string_view key,
                                        std::string_view name) {
  std::optional<tessil::StoreValue> value = store.Read(key, name);
  if (!value || !std::holds_alternative<std::uint32_t>(*value)) return std::nullopt;
  return std::get<std::uint32_t>(*value);
}

}  // namespace

SettingsForm LoadSettings(const tessil::Store& store) {
  SettingsForm form;
  for (std::size_t i = 0; i < kHardwareValues.size(); ++i) {
    form.hardware[i] = ReadNumber(store, kHardwareKey, kHardwareValues[i].name)
                           .value_or(static_cast<std::uint32_t>(kHardwareValues[i].value));
  }
  Switches& s = form.switches;
  auto flag = [&](std::string_view name, bool fallback) {
    std::optional<std::uint32_t> v = ReadNumber(store, kSimulatorKey, name);
    return v ? *v != 0 : fallback;
  };
  s.connected = flag("Connected", s.connected);
  s.inserted = flag("ChipInserted", s.inserted);
  s.verify_fault = flag("VerifyFault", s.verify_fault);
  s.row_time_us = ReadNumber(store, kSimulatorKey, "RowTime").value_or(s.row_time_us);
  std::optional<tessil::StoreValue> chip = store.Read(kSimulatorKey, "ChipType");
  if (chip && std::holds_alternative<std::string>(*chip)) {
    if (const Device* device = FindDevice(std::get<std::string>(*chip)))
      s.chip = std::string(device->name);
  }
  return form;
}

void SaveSettings(tessil::Store& store, const SettingsForm& form) {
  store.CreateKey(kHardwareKey);
  for (std::size_t i = 0; i < kHardwareValues.size(); ++i) {
    store.Write(kHardwareKey, kHardwareValues[i].name, form.hardware[i]);
  }
  const Switches& s = form.switches;
  store.CreateKey(kSimulatorKey);
  store.Write(kSimulatorKey, "Connected", std::uint32_t{s.connected});
  store.Write(kSimulatorKey, "ChipInserted", std::uint32_t{s.inserted});
  store.Write(kSimulatorKey, "ChipType", s.chip);
  store.Write(kSimulatorKey, "VerifyFault", std::uint32_t{s.verify_fault});
  store.Write(kSimulatorKey, "RowTime", s.row_time_us);
}

std::optional<std::uint32_t> ParseUnsigned(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace pic18sim
