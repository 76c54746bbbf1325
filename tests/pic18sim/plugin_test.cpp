// The real libpic18sim.so, loaded with dlopen and driven through its exported entry points as
// the program drives it.
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tessil/plugin.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>

#include "tests/pic18sim/test_support.h"

namespace pic18sim {
namespace {

struct Entries {
#define PIC18SIM_MEMBER(name, params, args) tessil_##name##_fn name = nullptr;
  TESSIL_PLUGIN_ENTRIES(PIC18SIM_MEMBER)
#undef PIC18SIM_MEMBER
};

std::filesystem::path LibraryPath() {
  const char* build = std::getenv("TESSIL_BUILD_DIR");
  return std::filesystem::path(build ? build : ".") / "plugins" / "libpic18sim.so";
}

// A record with its checksum appended: Rec("02001000" "1234").
std::string Rec(const std::string& body) {
  unsigned sum = 0;
  for (std::size_t i = 0; i + 1 < body.size(); i += 2)
    sum += std::stoul(body.substr(i, 2), nullptr, 16);
  char tail[4];
  std::snprintf(tail, sizeof tail, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
  return ":" + body + tail + "\n";
}

const std::string kEnd = ":00000001FF\n";
using Results = std::pair<std::uint8_t, std::uint8_t>;

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    Configure("PIC18F452", true);
  }
  void TearDown() override { Unload(); }

  // The simulation's switches as the settings dialog would have stored them; read at load.
  void Configure(const std::string& chip, bool connected) {
    test::WriteText(
        dir / "config" / "tessil" / "registry.reg",
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Tessil]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Tessil\\DLL]\n\n"
        "[HKEY_CURRENT_USER\\Software\\Tessil\\DLL\\Simulator]\n"
        "\"ChipType\"=\"" +
            chip + "\"\n\"Connected\"=dword:0000000" + (connected ? "1" : "0") +
            "\n\"RowTime\"=dword:00000000\n");
  }

  void Load() {
    handle_ = ::dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << ::dlerror();
#define PIC18SIM_BIND(name, params, args)                                          \
  plugin.name = reinterpret_cast<tessil_##name##_fn>(::dlsym(handle_, "_" #name)); \
  ASSERT_NE(plugin.name, nullptr) << #name;
    TESSIL_PLUGIN_ENTRIES(PIC18SIM_BIND)
#undef PIC18SIM_BIND
    plugin.ShowDLL(0);
    plugin.InitHardware();
  }

  void Unload() {
    if (handle_) ::dlclose(handle_);
    handle_ = nullptr;
  }

  std::vector<std::uint16_t> Words(std::int32_t kind) {
    std::uint32_t count = 0;
    plugin.GetMemorySize(&count, kind);
    std::vector<std::uint16_t> words(count);
    plugin.GetMemoryBuffer(words.data(), kind);
    return words;
  }
  std::array<std::uint8_t, 8> Id(std::int32_t kind) {
    std::array<std::uint8_t, 8> id{};
    for (std::uint8_t i = 0; i < 8; ++i) plugin.GetIDValue(&id[i], i, kind);
    return id;
  }
  std::uint16_t Sum(std::int32_t kind) {
    std::uint16_t sum = 0;
    plugin.ComputeGeneralChecksum(&sum, kind);
    return sum;
  }
  std::string Saved(std::int32_t kind) {
    std::filesystem::path file = dir / ("saved" + std::to_string(kind) + ".hex");
    EXPECT_EQ(plugin.UnParseFile(file.c_str(), kind), 0);
    return test::ReadText(file);
  }

  std::filesystem::path Assemble(const std::string& processor, std::uint32_t program_bytes,
                                 const std::string& config) {
    return test::Assemble(dir.path(), processor, processor,
                          test::SampleProgram(processor, program_bytes, config));
  }

  // Program as the program does it: each call in a power bracket of its own.
  std::array<std::uint8_t, 3> Program(std::int32_t kind) {
    std::array<std::uint8_t, 3> r{};
    plugin.InitHardware(), plugin.PowerOn(), r[0] = plugin.ProgramMem(kind), plugin.PowerOff();
    plugin.InitHardware(), plugin.PowerOn(), r[1] = plugin.ProgramConfig(kind), plugin.PowerOff();
    plugin.InitHardware(), plugin.PowerOn(), r[2] = plugin.ProgramID(kind), plugin.PowerOff();
    return r;
  }

  // A full read; note that no _PowerOff follows _ReadMem, as in the program.
  std::pair<std::uint8_t, std::uint8_t> Read() {
    plugin.InitHardware(), plugin.PowerOn();
    std::uint8_t mem = plugin.ReadMem();
    plugin.InitHardware(), plugin.PowerOn();
    std::uint8_t config = plugin.ReadConfig();
    plugin.ReadID(), plugin.PowerOff();
    return {mem, config};
  }

  test::TempDir dir;
  Entries plugin;
  void* handle_ = nullptr;
};

TEST_F(PluginTest, ExportsExactlyTheEntryPoints) {
  test::CommandResult nm = test::Run("nm -D --defined-only " + LibraryPath().string());
  ASSERT_EQ(nm.exit_code, 0) << nm.output;
  std::vector<std::string> exported;
  std::istringstream lines(nm.output);
  for (std::string address, type, name; lines >> address >> type >> name;) exported.push_back(name);
  std::vector<std::string> expected = TESSIL_ENTRY_NAMES;
  std::ranges::sort(exported);
  std::ranges::sort(expected);
  EXPECT_EQ(exported, expected);
}

TEST_F(PluginTest, GpasmFilesOfTwoPartsLoadAndSaveUnchanged) {
  struct Case {
    const char* chip;
    const char* processor;
    std::uint32_t program_bytes, eeprom_bytes;
    const char* config;
  };
  const Case cases[] = {
      {"PIC18F452", "18f452", 0x8000, 0x100, "    CONFIG OSC = HS, WDT = OFF, LVP = OFF\n"},
      {"PIC18F4620", "18f4620", 0x10000, 0x400,
       "    CONFIG OSC = HSPLL, WDT = OFF, LVP = OFF, XINST = OFF, MCLRE = OFF\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chip);
    Unload();
    Configure(c.chip, true);
    Load();
    std::filesystem::path original = Assemble(c.processor, c.program_bytes, c.config);
    ASSERT_EQ(plugin.ParseFile(original.c_str()), 0);
    std::vector<std::uint16_t> words = Words(0);
    ASSERT_EQ(words.size(), c.program_bytes / 2);
    EXPECT_EQ(words[0], 0xEF05);  // goto start
    EXPECT_EQ(Id(0), (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 0xF}));

    std::filesystem::path saved = dir / "saved.hex";
    ASSERT_EQ(plugin.UnParseFile(saved.c_str(), 0), 0);
    // Equal in content: our rows are padded with erased bytes where gpasm gave fewer.
    char fill[160];
    std::snprintf(fill, sizeof fill, "-fill 0xFF 0 0x%X -fill 0xFF 0xF00000 0x%X", c.program_bytes,
                  0xF00000 + c.eeprom_bytes);
    test::CommandResult cmp = test::Run("srec_cmp " + original.string() + " -intel " + fill + " " +
                                        saved.string() + " -intel " + fill);
    EXPECT_EQ(cmp.exit_code, 0) << cmp.output;
    test::CommandResult python = test::Run(
        "/usr/bin/python3 -c 'import intelhex, sys\n"
        "a, b = intelhex.IntelHex(sys.argv[1]), intelhex.IntelHex(sys.argv[2])\n"
        "differ = [x for x in a.addresses() if a[x] != b[x]]\n"
        "extra = [x for x in b.addresses() if x not in a.todict() and b[x] != 0xFF]\n"
        "sys.exit(1 if differ or extra else 0)' " +
        original.string() + " " + saved.string());
    EXPECT_EQ(python.exit_code, 0) << python.output;
  }
}

TEST_F(PluginTest, MalformedFilesAreRefusedAndThePreviousImageStays) {
  Load();
  ASSERT_EQ(plugin.ParseFile(Assemble("18f452", 0x8000, "    CONFIG OSC = HS\n").c_str()), 0);
  const std::vector<std::uint16_t> words = Words(0);
  const std::array<std::uint8_t, 8> id = Id(0);
  const std::uint16_t sum = Sum(0);
  const std::string saved = Saved(0);

  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"bad checksum", ":020010001234A9\n" + kEnd},
      {"no end record", Rec("020010001234")},
      {"empty file", ""},
      {"not a record", "hello\n" + kEnd},
      {"odd number of digits", ":020010001234A\n" + kEnd},
      {"not a hexadecimal digit", ":0200100012G4A8\n" + kEnd},
      {"byte count too large", Rec("030010001234") + kEnd},
      {"unknown record type", Rec("00000006") + kEnd},
      {"end record with data", Rec("01000001FF")},
      {"extended address of the wrong size", Rec("0100000400") + kEnd},
      {"beyond program memory", Rec("02800000FFFF") + kEnd},
      {"straddling the end of program memory", Rec("047FFE0000000000") + kEnd},
      {"beyond the EEPROM", Rec("0200000400F0") + Rec("01010000FF") + kEnd},
      {"past the ID locations", Rec("020000040020") + Rec("01000800FF") + kEnd},
      {"past the configuration", Rec("020000040030") + Rec("01000E00FF") + kEnd},
      {"the read-only device ID", Rec("02000004003F") + Rec("02FFFE008104") + kEnd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteText(dir / "bad.hex", c.text);
    EXPECT_EQ(plugin.ParseFile((dir / "bad.hex").c_str()), 1);
  }
  EXPECT_EQ(plugin.ParseFile((dir / "missing.hex").c_str()), 1);
  EXPECT_EQ(plugin.ParseFile(dir.path().c_str()), 1);
  EXPECT_EQ(Words(0), words);
  EXPECT_EQ(Id(0), id);
  EXPECT_EQ(Sum(0), sum);
  EXPECT_EQ(Saved(0), saved);
}

TEST_F(PluginTest, ProgramThenReadGivesBackMemoryIdAndConfiguration) {
  Load();
  ASSERT_EQ(plugin.ParseFile(
                Assemble("18f452", 0x8000, "    CONFIG OSC = HS, WDT = OFF, LVP = OFF\n").c_str()),
            0);
  EXPECT_EQ(Program(0), (std::array<std::uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(Read(), (Results{0, 0}));
  EXPECT_EQ(Words(1), Words(0));
  EXPECT_EQ(Id(1), Id(0));
  EXPECT_EQ(Sum(1), Sum(0));
  EXPECT_EQ(Saved(1), Saved(0));  // configuration and EEPROM too
}

TEST_F(PluginTest, TheChipSurvivesUnloadingThePlugin) {
  Load();
  ASSERT_EQ(plugin.ParseFile(Assemble("18f452", 0x8000, "    CONFIG OSC = HS\n").c_str()), 0);
  ASSERT_EQ(Program(0)[0], 0);
  const std::string programmed = Saved(0);
  Unload();
  ASSERT_EQ(::dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded";
  Load();
  EXPECT_EQ(Read().first, 0);
  EXPECT_EQ(Saved(1), programmed);
}

TEST_F(PluginTest, AProtectedChipReportsLockedAndBulkEraseBlanksIt) {
  Load();
  EXPECT_EQ(Read().first, 3);  // a new chip is erased
  ASSERT_EQ(plugin.ParseFile(Assemble("18f452", 0x8000, "    CONFIG CP0 = ON, CPB = ON\n").c_str()),
            0);
  EXPECT_EQ(Program(0), (std::array<std::uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(Read(), (Results{0, 6}));
  EXPECT_EQ(Words(1)[0], 0);  // the boot block reads as zeros
  EXPECT_EQ(Id(1), Id(0));
  plugin.InitHardware(), plugin.PowerOn(), plugin.DoBulkErase(0), plugin.PowerOff();
  EXPECT_EQ(Read(), (Results{3, 0}));
}

TEST_F(PluginTest, OutsideAPowerBracketReadsAndWritesFail) {
  Load();
  ASSERT_EQ(plugin.ParseFile(Assemble("18f452", 0x8000, "").c_str()), 0);
  plugin.InitHardware();  // the port is set up, the chip has no power
  EXPECT_EQ(plugin.ReadMem(), 10);
  EXPECT_EQ(plugin.ProgramMem(0), 5);
  std::uint8_t area[12];
  EXPECT_NE(plugin.ReadRevDev(area), 7);
  plugin.PowerOn();
  EXPECT_EQ(plugin.ReadRevDev(area), 7);
  EXPECT_STREQ(reinterpret_cast<char*>(area), "PIC18F452");

  Unload();
  Configure("PIC18F452", false);  // programmer unplugged
  Load();
  EXPECT_EQ(plugin.IsHWPresent(), 8);
  plugin.PowerOn();
  EXPECT_NE(plugin.ReadRevDev(area), 7);
  EXPECT_EQ(plugin.ProgramMem(0), 5);
}

}  // namespace
}  // namespace pic18sim
