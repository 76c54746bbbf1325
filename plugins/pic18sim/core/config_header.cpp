#include "plugins/pic18sim/core/config_header.h"

#include <fstream>
#include <iterator>
#include <map>
#include <regex>

namespace pic18sim {
namespace {

struct EquGroup {
  std::size_t index;
  std::vector<std::uint8_t> values;
};

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

}  // namespace

std::vector<ConfigSetting> ParseConfigHeader(std::string_view text) {
  static const std::regex title(R"(;   (\S.*):\s*)");
  static const std::regex option(R"(;     (\w+) = (\S+)\s*(.*?)\s*)");
  static const std::regex address(R"(_(CONFIG\d[LH])\s+EQU\s+H'([0-9A-Fa-f]+)'.*)");
  static const std::regex section(R"(;----- (CONFIG\d[LH]) Options -+\s*)");
  static const std::regex equ(R"(_(\w+)\s+EQU\s+H'([0-9A-Fa-f]+)'.*)");

  std::vector<ConfigSetting> settings;
  std::map<std::string, std::size_t> register_index;
  std::vector<EquGroup> groups;
  enum { kBefore, kComments, kAfter } state = kBefore;
  std::string current_register;
  bool group_open = false;
  std::match_results<std::string_view::const_iterator> m;
  auto match = [&](std::string_view line, const std::regex& re) {
    return std::regex_match(line.begin(), line.end(), m, re);
  };

  for (std::string_view line : Lines(text)) {
    if (state == kBefore) {
      if (line.find("superseded by the CONFIG directive") != std::string_view::npos)
        state = kComments;
      continue;
    }
    if (state == kComments) {
      if (line.starts_with(";=====")) {
        state = kAfter;
      } else if (match(line, title)) {
        settings.push_back({m[1].str(), "", 0, 0, {}});
      } else if (match(line, option) && !settings.empty()) {
        if (settings.back().name.empty()) settings.back().name = m[1].str();
        if (settings.back().name != m[1].str()) return {};
        settings.back().options.push_back({m[2].str(), 0, m[3].str()});
      }
      continue;
    }
    if (match(line, address)) {
      std::uint32_t at = static_cast<std::uint32_t>(std::stoul(m[2].str(), nullptr, 16));
      if (at >= kConfigAddress && at < kConfigAddress + kConfigBytes)
        register_index[m[1].str()] = at - kConfigAddress;
    } else if (match(line, section)) {
      current_register = m[1].str();
      group_open = false;
    } else if (line.starts_with(";-----")) {
      current_register.clear();
    } else if (!current_register.empty() && match(line, equ)) {
      // Each value is listed with and without the register suffix; the suffixed ones are complete.
      if (!m[1].str().ends_with("_" + current_register.substr(6))) continue;
      auto found = register_index.find(current_register);
      if (found == register_index.end()) return {};
      if (!group_open) groups.push_back({found->second, {}});
      group_open = true;
      groups.back().values.push_back(
          static_cast<std::uint8_t>(std::stoul(m[2].str(), nullptr, 16)));
    } else if (line.find_first_not_of(" \t") == std::string_view::npos) {
      group_open = false;
    }
  }

  if (settings.empty() || settings.size() != groups.size()) return {};
  for (std::size_t g = 0; g < settings.size(); ++g) {
    ConfigSetting& setting = settings[g];
    const EquGroup& group = groups[g];
    if (setting.options.size() != group.values.size()) return {};
    // The EQU values are AND masks: 1 outside the setting, so the bits any option clears are
    // the setting's bits.
    std::uint8_t all = 0xFF;
    for (std::uint8_t v : group.values) all &= v;
    setting.index = group.index;
    setting.mask = static_cast<std::uint8_t>(~all);
    if (setting.mask == 0) return {};
    for (std::size_t o = 0; o < group.values.size(); ++o) {
      setting.options[o].bits = group.values[o] & setting.mask;
    }
  }
  return settings;
}

std::vector<ConfigSetting> LoadConfigSettings(const std::filesystem::path& folder,
                                              const Device& device) {
  std::ifstream in(folder / HeaderFileName(device), std::ios::binary);
  if (!in) return {};
  std::string text(std::istreambuf_iterator<char>(in), {});
  return ParseConfigHeader(text);
}

std::optional<std::size_t> SelectedOption(const ConfigSetting& setting,
                                          std::span<const std::uint8_t, kConfigBytes> config) {
  for (std::size_t o = 0; o < setting.options.size(); ++o) {
    if ((config[setting.index] & setting.mask) == setting.options[o].bits) return o;
  }
  return std::nullopt;
}

void ApplyOption(const ConfigSetting& setting, const ConfigOption& option,
                 std::span<std::uint8_t, kConfigBytes> config) {
  config[setting.index] =
      static_cast<std::uint8_t>((config[setting.index] & ~setting.mask) | option.bits);
}

}  // namespace pic18sim
