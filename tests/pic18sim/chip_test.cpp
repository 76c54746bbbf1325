// Code and write protection of the simulated silicon.
#include "plugins/pic18sim/core/chip.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pic18sim {
namespace {

const Device& F452() {
  return *FindDevice("PIC18F452");
}

// A chip of the given part holding 0x11 everywhere, with one configuration byte changed.
Chip Filled(const Device& d, std::size_t config_index = 0, std::uint8_t config_value = 0) {
  Image cells = ErasedImage(d);
  std::ranges::fill(cells.program, 0x11);
  std::ranges::fill(cells.eeprom, 0x22);
  cells.id.fill(0x33);
  if (config_index) cells.config[config_index] = config_value;
  return Chip(d, cells);
}

TEST(Chip, CodeProtectionHidesBlocksFromReadsOnly) {
  struct Case {
    const char* what;
    std::size_t index;
    std::uint8_t value;
    std::uint32_t hidden_from, hidden_to;  // program bytes that read as zero
    bool eeprom_hidden;
  };
  const Case cases[] = {
      {"CP0", kCpIndex, 0x0E, 0x0200, 0x2000, false},
      {"CP3", kCpIndex, 0x07, 0x6000, 0x8000, false},
      {"CPB", kCpbCpdIndex, 0x80, 0x0000, 0x0200, false},
      {"CPD", kCpbCpdIndex, 0x40, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Chip chip = Filled(F452(), c.index, c.value);
    EXPECT_TRUE(chip.CodeProtected());
    Image read = chip.Read();
    for (std::uint32_t at = 0; at < read.program.size(); at += 0x100) {
      EXPECT_EQ(read.program[at], at >= c.hidden_from && at < c.hidden_to ? 0x00 : 0x11) << at;
    }
    EXPECT_EQ(read.eeprom[0], c.eeprom_hidden ? 0x00 : 0x22);
    EXPECT_EQ(read.id, chip.cells().id);
    EXPECT_EQ(read.config, chip.cells().config);
    EXPECT_EQ(chip.cells().program[c.hidden_from], 0x11);  // hidden, not lost
  }
  EXPECT_FALSE(Filled(F452()).CodeProtected());
  // Blocks follow the part: the PIC18F4620's block 1 is 0x4000-0x7FFF.
  Chip big = Filled(*FindDevice("PIC18F4620"), kCpIndex, 0x0D);
  EXPECT_EQ(big.Read().program[0x3FFF], 0x11);
  EXPECT_EQ(big.Read().program[0x4000], 0x00);
}

TEST(Chip, WriteProtectionKeepsBlocksEepromAndConfiguration) {
  const std::uint8_t row[64] = {};
  Chip chip = Filled(F452(), kWrtIndex, 0x0D);  // WRT1: 0x2000-0x3FFF
  chip.WriteProgram(0x1FC0, row);
  chip.WriteProgram(0x2000, row);
  EXPECT_EQ(chip.cells().program[0x1FC0], 0x00);
  EXPECT_EQ(chip.cells().program[0x2000], 0x11);

  Chip boot = Filled(F452(), kWrtCbdIndex, 0xA0);  // WRTB
  boot.WriteProgram(0x1C0, row);
  boot.WriteProgram(0x200, row);
  EXPECT_EQ(boot.cells().program[0x1C0], 0x11);
  EXPECT_EQ(boot.cells().program[0x200], 0x00);

  Chip eeprom = Filled(F452(), kWrtCbdIndex, 0x60);  // WRTD
  eeprom.WriteEeprom(0, row);
  EXPECT_EQ(eeprom.cells().eeprom[0], 0x22);

  Chip config = Filled(F452(), kWrtCbdIndex, 0xC0);  // WRTC
  ConfigBytes all_zero{};
  config.WriteConfig(all_zero);
  EXPECT_EQ(config.cells().config, Filled(F452(), kWrtCbdIndex, 0xC0).cells().config);
}

TEST(Chip, ProtectionBitsOnlyClearAndBulkEraseSetsThemAgain) {
  Chip chip(F452());
  ConfigBytes config = ErasedImage(F452()).config;
  config[1] = 0xFF;         // unimplemented bits are dropped
  config[kCpIndex] = 0x0E;  // CP0 on
  chip.WriteConfig(config);
  EXPECT_EQ(chip.cells().config[1], 0x27);
  EXPECT_TRUE(chip.CodeProtected());
  config[kCpIndex] = 0x0F;  // trying to switch CP0 off again
  config[1] = 0x22;         // an ordinary byte can change back and forth
  chip.WriteConfig(config);
  EXPECT_EQ(chip.cells().config[kCpIndex], 0x0E);
  EXPECT_EQ(chip.cells().config[1], 0x22);
  chip.BulkErase();
  EXPECT_FALSE(chip.CodeProtected());
  EXPECT_TRUE(chip.Blank());
}

}  // namespace
}  // namespace pic18sim
