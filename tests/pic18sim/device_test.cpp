// The device table against gputils' own description of each part: the linker scripts, the
// headers and `gpasm -s`.
#include "plugins/pic18sim/core/device.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include "tests/pic18sim/test_support.h"

namespace pic18sim {
namespace {

const std::filesystem::path kGputils = "/usr/share/gputils";

std::string Lower(std::string_view name) {
  std::string s(name);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "18f452" for PIC18F452.
std::string Processor(const Device& d) {
  return Lower(d.name.substr(3));
}

// CODEPAGE NAME=... START=... END=... of a linker script, by name.
std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> CodePages(const Device& d) {
  std::string text = test::ReadText(kGputils / "lkr" / (Processor(d) + "_g.lkr"));
  static const std::regex page(
      R"(CODEPAGE\s+NAME=(\w+)\s+START=(0x[0-9A-Fa-f]+)\s+END=(0x[0-9A-Fa-f]+))");
  std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> pages;
  for (std::sregex_iterator it(text.begin(), text.end(), page), end; it != end; ++it) {
    pages[(*it)[1]] = {std::stoul((*it)[2], nullptr, 16), std::stoul((*it)[3], nullptr, 16)};
  }
  return pages;
}

TEST(DeviceTable, MemoryRangesMatchTheGputilsLinkerScripts) {
  for (const Device& d : Devices()) {
    SCOPED_TRACE(d.name);
    auto pages = CodePages(d);
    EXPECT_EQ(pages["page"], std::make_pair(0u, d.program_bytes - 1));
    EXPECT_EQ(pages["idlocs"], std::make_pair(kIdAddress, kIdAddress + 7));
    EXPECT_EQ(pages["config"], std::make_pair(kConfigAddress, kConfigAddress + 13));
    EXPECT_EQ(pages["devid"], std::make_pair(kDeviceIdAddress, kDeviceIdAddress + 1));
    EXPECT_EQ(pages["eedata"], std::make_pair(kEepromAddress, kEepromAddress + d.eeprom_bytes - 1));
  }
}

TEST(DeviceTable, ConfigurationBytesMatchTheHeadersAndGpasm) {
  static const std::regex config_address(R"(_(CONFIG\d[LH])\s+EQU\s+H'([0-9A-F]+)')");
  // A register the part implements has options listed ("_HS_OSC_1H EQU ...").
  static const std::regex options(R"(;----- (CONFIG\d[LH]) Options -+\r?\n_)");
  static const std::regex gpasm_word(
      R"(address = 0x([0-9A-F]+), mask = 0x([0-9A-F]+), default = 0x([0-9A-F]+))");
  for (const Device& d : Devices()) {
    SCOPED_TRACE(d.name);
    std::string header = test::ReadText(kGputils / "header" / HeaderFileName(d));
    std::map<std::string, std::uint32_t> address;
    for (std::sregex_iterator it(header.begin(), header.end(), config_address), end; it != end;
         ++it) {
      address[(*it)[1]] = std::stoul((*it)[2], nullptr, 16);
    }
    std::set<std::uint32_t> in_header;
    for (std::sregex_iterator it(header.begin(), header.end(), options), end; it != end; ++it) {
      in_header.insert(address.at((*it)[1]));
    }
    std::set<std::uint32_t> implemented;
    for (std::size_t i = 0; i < kConfigBytes; ++i) {
      if (d.config[i].mask != 0) implemented.insert(kConfigAddress + static_cast<std::uint32_t>(i));
      EXPECT_EQ(d.config[i].erased & ~d.config[i].mask, 0) << ConfigRegisterName(i);
    }
    EXPECT_EQ(in_header, implemented);

    test::CommandResult gpasm = test::Run("gpasm -s -p " + Processor(d));
    ASSERT_EQ(gpasm.exit_code, 0) << gpasm.output;
    int words = 0;
    for (std::sregex_iterator it(gpasm.output.begin(), gpasm.output.end(), gpasm_word), end;
         it != end; ++it, ++words) {
      std::size_t index = std::stoul((*it)[1], nullptr, 16) - kConfigAddress;
      ASSERT_LT(index, kConfigBytes);
      EXPECT_EQ(d.config[index].mask, std::stoul((*it)[2], nullptr, 16))
          << ConfigRegisterName(index);
      // Unimplemented bits read as 0 (gpasm sets one in the PIC18F6720's CONFIG3H default).
      EXPECT_EQ(d.config[index].erased, std::stoul((*it)[3], nullptr, 16) & d.config[index].mask)
          << ConfigRegisterName(index);
    }
    EXPECT_EQ(words, static_cast<int>(implemented.size()));
  }
}

TEST(DeviceTable, ProtectionBlocksMatchTheHeaders) {
  // "_CP1_ON_5L EQU H'FD' ; Block 1 (002000-003FFFh) code protected"
  static const std::regex block(R"(_CP(\d|B)_ON_5[LH]\s+EQU\s+H'[0-9A-F]+'\s+;\s+)"
                                R"((?:Boot )?[Bb]lock(?: \d)? \(([0-9A-F]+)-([0-9A-F]+)h\))");
  for (const Device& d : Devices()) {
    SCOPED_TRACE(d.name);
    std::string header = test::ReadText(kGputils / "header" / HeaderFileName(d));
    int blocks = 0;
    for (std::sregex_iterator it(header.begin(), header.end(), block), end; it != end; ++it) {
      std::uint32_t first = std::stoul((*it)[2], nullptr, 16),
                    last = std::stoul((*it)[3], nullptr, 16);
      if ((*it)[1] == "B") {
        EXPECT_EQ(first, 0u);
        EXPECT_EQ(last + 1, d.boot_block_end);
      } else {
        std::uint32_t n = std::stoul((*it)[1]);
        EXPECT_EQ(first, std::max(n * d.block_bytes, d.boot_block_end));
        EXPECT_EQ(last + 1, (n + 1) * d.block_bytes);
        ++blocks;
      }
    }
    EXPECT_EQ(blocks, static_cast<int>(d.blocks()));
  }
}

TEST(DeviceTable, LookUpByNameAndDeviceId) {
  EXPECT_EQ(DefaultDevice().name, "PIC18F452");
  EXPECT_EQ(DefaultDevice().words(), 16384u);
  EXPECT_EQ(FindDevice("pic18f4620"), FindDevice("PIC18F4620"));
  EXPECT_EQ(FindDevice("PIC16F84"), nullptr);
  EXPECT_EQ(FindDeviceById(0x1087), FindDevice("PIC18F4520"));  // revision bits ignored
  EXPECT_EQ(FindDeviceById(0x1060), nullptr);
  std::set<std::uint16_t> ids;
  for (const Device& d : Devices()) {
    ids.insert(d.device_id);
    EXPECT_LT(d.name.size(), 12u) << d.name;  // _ReadRevDev's area keeps a terminating zero
  }
  EXPECT_EQ(ids.size(), Devices().size());
  EXPECT_EQ(HeaderFileName(*FindDevice("PIC18F4550")), "p18f4550.inc");
  EXPECT_EQ(ConfigRegisterName(0), "CONFIG1L");
  EXPECT_EQ(ConfigRegisterName(13), "CONFIG7H");
}

}  // namespace
}  // namespace pic18sim
