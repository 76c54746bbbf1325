// The plug-in's part of the settings store, and the gputils header behind the named
// configuration settings.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

#include "plugins/pic18sim/core/config_header.h"
#include "plugins/pic18sim/core/image.h"
#include "plugins/pic18sim/core/sim_settings.h"
#include "tests/pic18sim/test_support.h"

namespace pic18sim {
namespace {

TEST(SimSettings, MissingOrMistypedValuesReadAsDefaults) {
  tessil::MemoryStore store;
  const SettingsForm defaults{{2, 0x80, 1, 4, 8, 0x20, 0x10, 0x20, 0x10, 0x10, 0xFF, 0x10, 0x378},
                              {}};
  EXPECT_EQ(LoadSettings(store), defaults);
  store.CreateKey(kHardwareKey);
  store.CreateKey(kSimulatorKey);
  store.Write(kHardwareKey, "clock_mask", std::string("7"));  // text where a number belongs
  store.Write(kSimulatorKey, "Connected", std::string("no"));
  store.Write(kSimulatorKey, "ChipType", std::uint32_t{452});
  store.Write(kSimulatorKey, "RowTime", std::string("fast"));
  EXPECT_EQ(LoadSettings(store), LoadSettings(tessil::MemoryStore{}));
  store.Write(kSimulatorKey, "ChipType", std::string("PIC16F84"));  // not a part we know
  EXPECT_EQ(LoadSettings(store).switches.chip, "PIC18F452");
}

TEST(SimSettings, SavedValuesReadBack) {
  tessil::MemoryStore store;
  SettingsForm form;
  for (std::size_t i = 0; i < form.hardware.size(); ++i)
    form.hardware[i] = 0xFFFFFFF0u + static_cast<std::uint32_t>(i);
  form.switches = {false, false, "PIC18F2550", true, 0};
  SaveSettings(store, form);
  EXPECT_EQ(LoadSettings(store), form);
  EXPECT_TRUE(store.KeyExists("\\software\\tessil\\dll\\simulator"));
}

TEST(SimSettings, ParsesWholeNumbersInDecimalOrHex) {
  const std::map<std::string, std::optional<std::uint32_t>> cases = {
      {"888", 888},          {"0x378", 0x378},           {"0X00ff", 0xFF},
      {" 12 ", 12},          {"4294967295", 0xFFFFFFFF}, {"4294967296", std::nullopt},
      {"-1", std::nullopt},  {"", std::nullopt},         {"0x", std::nullopt},
      {"12a", std::nullopt}, {"+5", std::nullopt},
  };
  for (const auto& [text, value] : cases)
    EXPECT_EQ(ParseUnsigned(text), value) << '"' << text << '"';
}

// Every named setting read from a header has the address and value gpasm gives it.
TEST(ConfigHeader, SettingsAgreeWithGpasm) {
  static const std::regex word(R"(Config Word\s+: address = 0x([0-9A-F]+))");
  static const std::regex directive(R"(Directive: (\w+))");
  static const std::regex option(R"(Option:\s+(\S+)\s+= 0x([0-9A-F]+))");
  for (const Device& d : Devices()) {
    SCOPED_TRACE(d.name);
    std::vector<ConfigSetting> settings = LoadConfigSettings("/usr/share/gputils/header", d);
    ASSERT_FALSE(settings.empty());
    std::string processor = HeaderFileName(d).substr(1, HeaderFileName(d).size() - 5);
    test::CommandResult gpasm = test::Run("gpasm -s -p " + processor);
    // (directive, option) -> (configuration byte, value)
    std::map<std::pair<std::string, std::string>, std::pair<std::size_t, std::uint8_t>> expected;
    std::size_t index = 0;
    std::string name;
    std::smatch m;
    std::istringstream lines(gpasm.output);
    for (std::string line; std::getline(lines, line);) {
      if (std::regex_search(line, m, word)) index = std::stoul(m[1], nullptr, 16) - kConfigAddress;
      if (std::regex_search(line, m, directive)) name = m[1];
      if (std::regex_search(line, m, option)) {
        expected[{name, m[1]}] = {index, static_cast<std::uint8_t>(std::stoul(m[2], nullptr, 16))};
      }
    }
    std::size_t options = 0;
    for (const ConfigSetting& s : settings) {
      for (const ConfigOption& o : s.options) {
        auto found = expected.find({s.name, o.value});
        ASSERT_NE(found, expected.end()) << s.name << " = " << o.value;
        EXPECT_EQ(found->second, std::make_pair(s.index, o.bits)) << s.name << " = " << o.value;
        EXPECT_EQ(o.bits & ~s.mask, 0);
        ++options;
      }
    }
    EXPECT_EQ(options, expected.size());
  }
}

TEST(ConfigHeader, SelectsAndAppliesOptionsWithinTheirBits) {
  std::vector<ConfigSetting> settings =
      LoadConfigSettings("/usr/share/gputils/header", *FindDevice("PIC18F452"));
  ASSERT_FALSE(settings.empty());
  const ConfigSetting& osc = settings.front();
  EXPECT_EQ(osc.name, "OSC");
  EXPECT_EQ(osc.title, "Oscillator Selection bits");
  EXPECT_EQ(osc.index, 1u);
  EXPECT_EQ(osc.mask, 0x07);
  EXPECT_EQ(osc.options[2].value, "HS");
  EXPECT_EQ(osc.options[2].description, "HS oscillator");

  ConfigBytes config{};
  config[1] = 0x27;  // RCIO, oscillator switching off
  EXPECT_EQ(SelectedOption(osc, config), 7u);
  ApplyOption(osc, osc.options[2], config);
  EXPECT_EQ(config[1], 0x22);
  EXPECT_EQ(SelectedOption(osc, config), 2u);

  const std::vector<ConfigSetting> none;
  EXPECT_EQ(ParseConfigHeader("; nothing here\n"), none);
  EXPECT_EQ(LoadConfigSettings("/nonexistent", *FindDevice("PIC18F452")), none);
}

}  // namespace
}  // namespace pic18sim
