// The simulated programmer through its C++ API: the same calls the plug-in exports, with a
// scripted user interface and an in-memory settings store.
#include "plugins/pic18sim/core/simulator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "plugins/pic18sim/core/intel_hex.h"
#include "tests/pic18sim/test_support.h"

namespace pic18sim {
namespace {

using ::testing::HasSubstr;

constexpr std::uint8_t kVerifyFailed = 5, kLocked = 6, kAborted = 10, kBlank = 3;

class FakeUi : public Ui {
 public:
  void BeginProgress(std::string_view title, std::uint32_t steps) override {
    titles.emplace_back(title);
    total_steps = steps;
  }
  bool Progress(std::uint32_t done) override { return done != cancel_at; }
  std::optional<SettingsForm> EditSettings(std::uintptr_t, const SettingsForm& form) override {
    settings_shown = form;
    return settings_reply;
  }
  std::optional<ConfigBytes> EditConfig(std::uintptr_t, const ConfigForm& form) override {
    config_shown = form;
    return config_reply;
  }
  void ReportError(std::string_view text) override { errors.emplace_back(text); }

  std::uint32_t cancel_at = 0;  // the step at which the user cancels; 0: never
  std::vector<std::string> titles;
  std::uint32_t total_steps = 0;
  std::vector<std::string> errors;
  SettingsForm settings_shown;
  std::optional<SettingsForm> settings_reply;
  ConfigForm config_shown;
  std::optional<ConfigBytes> config_reply;
};

// Lets several simulators share one in-memory store.
class StoreRef : public tessil::Store {
 public:
  explicit StoreRef(tessil::Store& store) : store_(store) {}
  bool KeyExists(std::string_view key) const override { return store_.KeyExists(key); }
  void CreateKey(std::string_view key) override { store_.CreateKey(key); }
  std::optional<tessil::StoreValue> Read(std::string_view key,
                                         std::string_view name) const override {
    return store_.Read(key, name);
  }
  void Write(std::string_view key, std::string_view name,
             const tessil::StoreValue& value) override {
    store_.Write(key, name, value);
  }

 private:
  tessil::Store& store_;
};

// Random program memory, EEPROM and ID under the part's erased configuration.
Image Sample(const Device& device, unsigned seed = 1) {
  std::mt19937 random(seed);
  Image image = ErasedImage(device);
  for (auto& b : image.program) b = static_cast<std::uint8_t>(random());
  for (auto& b : image.eeprom) b = static_cast<std::uint8_t>(random());
  for (auto& b : image.id) b = static_cast<std::uint8_t>(random());
  image.config[1] = 0x22 & device.config[1].mask;  // HS oscillator on the PIC18F452
  return image;
}

class SimulatorTest : public ::testing::Test {
 protected:
  std::unique_ptr<Simulator> Make() {
    auto sim = std::make_unique<Simulator>(SimulatorOptions{
        dir / "data" / "chip.hex", [this] { return std::make_unique<StoreRef>(store); }, &ui});
    sim->SetRowTime(std::chrono::microseconds(0));
    return sim;
  }

  // Loads `image` as the file image through a HEX file, as the program would.
  void Load(Simulator& sim, const Image& image) {
    test::WriteText(dir / "in.hex", FormatHex(image, sim.device()));
    ASSERT_EQ(sim.ParseFile((dir / "in.hex").c_str()), kOk) << sim.last_file_error();
  }

  static void Bracket(Simulator& sim) {
    sim.InitHardware();
    sim.PowerOn();
  }

  // The three program calls, each in its own power bracket, as the program makes them.
  static std::array<std::uint8_t, 3> Program(Simulator& sim, std::int32_t kind = 0) {
    std::array<std::uint8_t, 3> results{};
    Bracket(sim);
    results[0] = sim.ProgramMem(kind);
    sim.PowerOff();
    Bracket(sim);
    results[1] = sim.ProgramConfig(kind);
    sim.PowerOff();
    Bracket(sim);
    results[2] = sim.ProgramID(kind);
    sim.PowerOff();
    return results;
  }

  // A full read: memory, then configuration and ID; returns the results of _ReadMem and
  // _ReadConfig.
  static std::pair<std::uint8_t, std::uint8_t> Read(Simulator& sim) {
    Bracket(sim);
    std::uint8_t mem = sim.ReadMem();
    Bracket(sim);
    std::uint8_t config = sim.ReadConfig();
    sim.ReadID();
    sim.PowerOff();
    return {mem, config};
  }

  test::TempDir dir;
  tessil::MemoryStore store;
  FakeUi ui;
};

TEST_F(SimulatorTest, ProgramThenReadGivesBackTheImage) {
  for (const char* part : {"PIC18F452", "PIC18F4620"}) {
    SCOPED_TRACE(part);
    auto sim = Make();
    ASSERT_TRUE(sim->SelectChip(part));
    Load(*sim, Sample(sim->device()));
    EXPECT_EQ(Program(*sim), (std::array<std::uint8_t, 3>{kOk, kOk, kOk}));
    EXPECT_EQ(Read(*sim), std::make_pair(kOk, kOk));
    EXPECT_EQ(*sim->image(1), *sim->image(0));
    std::uint16_t file_sum = 0, chip_sum = 1;
    sim->ComputeGeneralChecksum(&file_sum, 0);
    sim->ComputeGeneralChecksum(&chip_sum, 1);
    EXPECT_EQ(file_sum, chip_sum);
  }
}

TEST_F(SimulatorTest, CallLogKeepsEveryCallWithItsArgumentsAndResult) {
  auto sim = Make();
  std::uint32_t words = 0;
  sim->InitHardware();
  sim->IsHWPresent();
  sim->GetMemorySize(&words, 1);
  sim->PowerOn();
  sim->ReadMem();
  sim->PowerOff();
  sim->GetMemorySize(&words, 7);
  EXPECT_EQ(words, 16384u);
  EXPECT_EQ(std::vector<Call>(sim->call_log().begin(), sim->call_log().end()),
            (std::vector<Call>{{"_InitHardware", "", kOk},
                               {"_IsHWPresent", "", kOk},
                               {"_GetMemorySize", "1", kOk},
                               {"_PowerOn", "", kOk},
                               {"_ReadMem", "", kBlank},
                               {"_PowerOff", "", kOk},
                               {"_GetMemorySize", "7", kNoAnswer}}));
  sim->ClearCallLog();
  for (std::size_t i = 0; i < Simulator::kCallLogLimit + 5; ++i) sim->IsHWPresent();
  EXPECT_EQ(sim->call_log().size(), Simulator::kCallLogLimit);
}

TEST_F(SimulatorTest, OutsideAPowerBracketNoChipAnswers) {
  struct Case {
    const char* what;
    void (*setup)(Simulator&);
  };
  const Case cases[] = {
      {"never initialised", [](Simulator&) {}},
      {"initialised, not powered", [](Simulator& s) { s.InitHardware(); }},
      {"powered off again", [](Simulator& s) { Bracket(s), s.PowerOff(); }},
      {"initialised again after power-on", [](Simulator& s) { Bracket(s), s.InitHardware(); }},
      {"programmer disconnected", [](Simulator& s) { s.SetConnected(false), Bracket(s); }},
      {"no chip in the socket", [](Simulator& s) { s.SetInserted(false), Bracket(s); }},
      {"target running", [](Simulator& s) { Bracket(s), s.RunTarget(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(dir / "data" / "chip.hex");
    auto sim = Make();
    Load(*sim, Sample(sim->device()));
    std::vector<std::uint16_t> words(sim->device().words(), 0x1234);
    sim->SetMemoryBuffer(words.data(), 1);
    const Image chip_image = *sim->image(1);
    ui.errors.clear();

    c.setup(*sim);
    EXPECT_FALSE(sim->ChipAnswers());
    EXPECT_EQ(sim->ReadMem(), kAborted);
    EXPECT_THAT(ui.errors, ::testing::ElementsAre(HasSubstr("No chip answers")));
    EXPECT_EQ(sim->ReadConfig(), kNoAnswer);
    EXPECT_EQ(sim->ReadID(), kNoAnswer);
    EXPECT_EQ(*sim->image(1), chip_image);
    EXPECT_EQ(sim->ProgramMem(0), kVerifyFailed);
    EXPECT_EQ(sim->ProgramConfig(0), kVerifyFailed);
    EXPECT_EQ(sim->ProgramID(0), kVerifyFailed);
    EXPECT_EQ(sim->DoBulkErase(0), kNoAnswer);
    EXPECT_TRUE(sim->chip().Blank());
    EXPECT_FALSE(std::filesystem::exists(sim->chip_file()));
    std::uint8_t area[12];
    std::memset(area, 0xEE, sizeof area);
    EXPECT_NE(sim->ReadRevDev(area), 7);
    EXPECT_EQ(area[0], 0);
  }
}

TEST_F(SimulatorTest, DetectsTheProgrammerAndTheChip) {
  auto sim = Make();
  EXPECT_EQ(sim->IsHWPresent(), 8);  // the port is not set up yet
  sim->InitHardware();
  EXPECT_EQ(sim->IsHWPresent(), kOk);
  sim->PowerOn();
  std::uint8_t area[12];
  EXPECT_EQ(sim->ReadRevDev(area), 7);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(area), 12), std::string("PIC18F452\0\0\0", 12));
  sim->SetConnected(false);
  EXPECT_EQ(sim->IsHWPresent(), 8);
  EXPECT_NE(sim->ReadRevDev(area), 7);
  EXPECT_EQ(sim->RunTarget(), kNoAnswer);
  sim->SetConnected(true);
  EXPECT_EQ(sim->RunTarget(), kOk);
  EXPECT_TRUE(sim->target_running());
}

TEST_F(SimulatorTest, AnErasedChipReadsBlankAndBulkEraseClearsEverything) {
  auto sim = Make();
  EXPECT_EQ(Read(*sim), std::make_pair(kBlank, kOk));
  EXPECT_EQ(*sim->image(1), ErasedImage(sim->device()));
  Image protected_image = Sample(sim->device());
  protected_image.config[kCpIndex] = 0x0E;      // CP0
  protected_image.config[kWrtCbdIndex] = 0xC0;  // WRTC
  Load(*sim, protected_image);
  Program(*sim);
  EXPECT_EQ(Read(*sim), std::make_pair(kOk, kLocked));
  Bracket(*sim);
  EXPECT_EQ(sim->DoBulkErase(0), kOk);
  sim->PowerOff();
  EXPECT_EQ(Read(*sim), std::make_pair(kBlank, kOk));
}

TEST_F(SimulatorTest, AProtectedChipHidesItsCodeAndFailsVerification) {
  auto sim = Make();
  Image image = Sample(sim->device());
  image.config[kCpIndex] = 0x0E;  // block 0, 0x200-0x1FFF
  Load(*sim, image);
  // Memory goes in before the configuration, so the first run verifies.
  EXPECT_EQ(Program(*sim), (std::array<std::uint8_t, 3>{kOk, kOk, kOk}));
  EXPECT_EQ(Read(*sim).second, kLocked);
  const Image& read = *sim->image(1);
  EXPECT_TRUE(std::all_of(read.program.begin() + 0x200, read.program.begin() + 0x2000,
                          [](auto b) { return b == 0; }));
  EXPECT_TRUE(std::equal(read.program.begin() + 0x2000, read.program.end(),
                         image.program.begin() + 0x2000));
  EXPECT_EQ(read.id, image.id);  // ID and configuration stay readable
  EXPECT_EQ(read.config[kCpIndex], 0x0E);
  Bracket(*sim);
  EXPECT_EQ(sim->ProgramMem(0), kVerifyFailed);
}

TEST_F(SimulatorTest, VerificationFailsOnAWriteProtectedBlockAndWithTheFaultSwitch) {
  auto sim = Make();
  Image image = Sample(sim->device());
  image.config[kWrtIndex] = 0x0E;  // WRT0
  Load(*sim, image);
  EXPECT_EQ(Program(*sim)[0], kOk);
  image.program[0x300] ^= 0xFF;  // in block 0
  Load(*sim, image);
  Bracket(*sim);
  EXPECT_EQ(sim->ProgramMem(0), kVerifyFailed);
  EXPECT_NE(sim->chip().cells().program[0x300], image.program[0x300]);

  Bracket(*sim);
  EXPECT_EQ(sim->DoBulkErase(0), kOk);
  image.config[kWrtIndex] = 0x0F;
  Load(*sim, image);
  sim->SetVerifyFault(true);
  EXPECT_EQ(Program(*sim)[0], kVerifyFailed);
  EXPECT_EQ(sim->chip().cells().program[0], image.program[0] ^ 0x01);
  sim->SetVerifyFault(false);
  EXPECT_EQ(Program(*sim)[0], kOk);
}

TEST_F(SimulatorTest, CancellingEndsAnOperationWith10) {
  auto sim = Make();
  const Image sample = Sample(sim->device());
  Load(*sim, sample);
  Bracket(*sim);
  ui.cancel_at = 3;
  EXPECT_EQ(sim->ProgramMem(0), kAborted);
  EXPECT_EQ(ui.total_steps, 2 * (512u + 4u));
  // Rows written before the cancel stay written, as on a real chip.
  const Image& cells = sim->chip().cells();
  EXPECT_TRUE(
      std::equal(cells.program.begin(), cells.program.begin() + 3 * 64, sample.program.begin()));
  EXPECT_EQ(cells.program[3 * 64], 0xFF);

  const Image chip_image = *sim->image(1);
  EXPECT_EQ(sim->ReadMem(), kAborted);
  EXPECT_EQ(*sim->image(1), chip_image);
  const Image before = sim->chip().cells();
  EXPECT_EQ(sim->DoBulkErase(0), kAborted);
  EXPECT_EQ(sim->chip().cells(), before);  // a cancelled erase erases nothing
  EXPECT_THAT(ui.titles, ::testing::ElementsAre("Programming the PIC18F452",
                                                "Reading the PIC18F452", "Erasing the PIC18F452"));
}

TEST_F(SimulatorTest, TheChipIsKeptInItsFileAcrossRuns) {
  Image image = Sample(DefaultDevice());
  {
    auto sim = Make();
    Load(*sim, image);
    Program(*sim);
  }
  HexResult file = ReadHexFile(dir / "data" / "chip.hex", DefaultDevice(), true);
  ASSERT_TRUE(file.ok()) << file.error;
  EXPECT_EQ(file.device_id, 0x0421);
  EXPECT_EQ(file.image.program, image.program);

  auto again = Make();
  EXPECT_EQ(again->chip().cells().program, image.program);
  EXPECT_EQ(again->chip().cells().id, image.id);
  EXPECT_EQ(again->chip().cells().config[1], 0x22);
}

TEST_F(SimulatorTest, AnUnreadableChipFileIsKeptAsideNotOverwritten) {
  test::WriteText(dir / "data" / "chip.hex", "not a HEX file\n");
  auto sim = Make();
  EXPECT_TRUE(sim->chip().Blank());
  EXPECT_THAT(ui.errors, ::testing::ElementsAre(HasSubstr("chip.hex.unreadable")));
  EXPECT_EQ(test::ReadText(dir / "data" / "chip.hex.unreadable"), "not a HEX file\n");
}

TEST_F(SimulatorTest, ChangingTheChipTypeSwapsTheChipInTheSocket) {
  auto sim = Make();
  const Image image = Sample(sim->device());
  Load(*sim, image);
  Program(*sim);

  ASSERT_TRUE(sim->SelectChip("pic18f4620"));
  EXPECT_EQ(sim->switches().chip, "PIC18F4620");
  std::uint32_t words = 0;
  sim->GetMemorySize(&words, 0);
  EXPECT_EQ(words, 32768u);
  EXPECT_TRUE(sim->chip().Blank());
  // The file image keeps what fits; the other part's configuration bits mean something else.
  EXPECT_TRUE(
      std::equal(image.program.begin(), image.program.end(), sim->image(0)->program.begin()));
  EXPECT_EQ(sim->image(0)->config, ErasedImage(sim->device()).config);
  EXPECT_TRUE(std::filesystem::exists(dir / "data" / "spare-PIC18F452.hex"));

  ASSERT_TRUE(sim->SelectChip("PIC18F452"));
  EXPECT_EQ(sim->chip().cells().program, image.program);
  EXPECT_FALSE(sim->SelectChip("PIC16F84"));
  EXPECT_EQ(sim->device().name, "PIC18F452");
  // The next start finds the same chip in the socket.
  EXPECT_EQ(Make()->chip().cells().program, image.program);
}

TEST_F(SimulatorTest, ARefusedFileLeavesThePreviousImage) {
  auto sim = Make();
  Load(*sim, Sample(sim->device()));
  const Image before = *sim->image(0);
  test::WriteText(dir / "bad.hex", ":020010001234A9\n:00000001FF\n");
  EXPECT_EQ(sim->ParseFile((dir / "bad.hex").c_str()), 1);
  EXPECT_THAT(sim->last_file_error(), HasSubstr("line 1: bad checksum"));
  EXPECT_EQ(sim->ParseFile(nullptr), 1);
  EXPECT_EQ(sim->ParseFile(dir.path().c_str()), 1);
  EXPECT_EQ(*sim->image(0), before);
}

TEST_F(SimulatorTest, WritesAHexFileOrSaysItCannot) {
  auto sim = Make();
  Load(*sim, Sample(sim->device()));
  EXPECT_EQ(sim->UnParseFile((dir / "out.hex").c_str(), 0), kOk);
  HexResult back = ReadHexFile(dir / "out.hex", sim->device());
  ASSERT_TRUE(back.ok()) << back.error;
  EXPECT_EQ(back.image, *sim->image(0));

  test::WriteText(dir / "plain", "x");
  EXPECT_EQ(sim->UnParseFile((dir / "plain" / "out.hex").c_str(), 0), 1);  // under a file
  EXPECT_EQ(sim->UnParseFile(dir.path().c_str(), 0), 1);                   // a folder
  EXPECT_EQ(sim->UnParseFile((dir / "out.hex").c_str(), 2), 1);
  EXPECT_EQ(sim->UnParseFile(nullptr, 0), 1);
}

TEST_F(SimulatorTest, WordsAndIdBytesOfEitherImage) {
  auto sim = Make();
  std::vector<std::uint16_t> words(sim->device().words());
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = static_cast<std::uint16_t>(i * 7);
  EXPECT_EQ(sim->SetMemoryBuffer(words.data(), 1), kOk);
  EXPECT_EQ(sim->image(1)->program[2], 7);  // word 1, low byte first
  EXPECT_EQ(sim->image(1)->program[3], 0);
  std::vector<std::uint16_t> back(words.size() + 1, 0xBEEF);  // one more than asked for
  EXPECT_EQ(sim->GetMemoryBuffer(back.data(), 1), kOk);
  EXPECT_TRUE(std::equal(words.begin(), words.end(), back.begin()));
  EXPECT_EQ(back.back(), 0xBEEF);
  EXPECT_EQ(sim->image(0)->program, ErasedImage(sim->device()).program);

  std::uint8_t id = 0;
  EXPECT_EQ(sim->SetIDValue(7, 0xA5, 0), kOk);
  EXPECT_EQ(sim->GetIDValue(&id, 7, 0), kOk);
  EXPECT_EQ(id, 0xA5);
  EXPECT_EQ(sim->SetIDValue(8, 0xA5, 0), kNoAnswer);
  EXPECT_EQ(sim->GetIDValue(&id, 0, -1), kNoAnswer);
  EXPECT_EQ(sim->SetMemoryBuffer(words.data(), 2), kNoAnswer);
  EXPECT_EQ(sim->GetMemoryBuffer(nullptr, 0), kNoAnswer);
}

TEST_F(SimulatorTest, TheSettingsDialogStoresTheHardwareValuesAndSwitches) {
  auto sim = Make();
  sim->ShowSettings(0);  // cancelled
  EXPECT_EQ(std::ranges::count_if(store.changes(),
                                  [](const std::string& c) { return c.starts_with("write "); }),
            0);
  EXPECT_EQ(ui.settings_shown.hardware[0], 2u);  // seeded CLOCK_MASK when the store has none
  EXPECT_EQ(ui.settings_shown.switches, sim->switches());

  SettingsForm form = ui.settings_shown;
  form.hardware[12] = 0x278;
  form.switches = {false, true, "PIC18F4550", true, 5};
  ui.settings_reply = form;
  EXPECT_EQ(sim->ShowSettings(0), kOk);
  EXPECT_EQ(sim->switches(), form.switches);
  EXPECT_EQ(sim->device().name, "PIC18F4550");
  EXPECT_EQ(store.Read(kHardwareKey, "LPT_port_@"), tessil::StoreValue(std::uint32_t{0x278}));
  EXPECT_EQ(store.Read(kSimulatorKey, "ChipType"), tessil::StoreValue(std::string("PIC18F4550")));
  EXPECT_EQ(LoadSettings(store), form);

  // The next start takes the switches from the store.
  auto next = Make();
  EXPECT_EQ(next->device().name, "PIC18F4550");
  next->InitHardware();
  EXPECT_EQ(next->IsHWPresent(), 8);
}

TEST_F(SimulatorTest, SettingsThatCannotBeSavedAreReported) {
  SimulatorOptions options{dir / "chip.hex",
                           []() -> std::unique_ptr<tessil::Store> {
                             throw tessil::SettingsError("registry.reg:3: cannot read");
                           },
                           &ui};
  Simulator sim(options);
  EXPECT_THAT(ui.errors, ::testing::ElementsAre(HasSubstr("registry.reg:3")));
  ui.settings_reply = SettingsForm{};
  ui.settings_reply->switches.inserted = false;
  sim.ShowSettings(0);
  EXPECT_FALSE(sim.switches().inserted);  // applied all the same
  EXPECT_THAT(ui.errors.back(), HasSubstr("could not be saved"));
}

TEST_F(SimulatorTest, TheConfigurationDialogEditsTheImageOfItsKind) {
  auto sim = Make();
  EXPECT_EQ(sim->ShowConfig(0, 0), kOk);  // cancelled
  EXPECT_EQ(sim->image(0)->config, ErasedImage(sim->device()).config);
  EXPECT_THAT(ui.config_shown.title, HasSubstr("PIC18F452 (file image)"));
  EXPECT_FALSE(ui.config_shown.settings.empty());  // from the gputils header

  ConfigBytes edited = ui.config_shown.config;
  edited[1] = 0x22;
  ui.config_reply = edited;
  sim->ShowConfig(0, 1);
  EXPECT_EQ(sim->image(1)->config, edited);
  EXPECT_EQ(sim->image(0)->config, ErasedImage(sim->device()).config);
  EXPECT_EQ(sim->ShowConfig(0, 2), kNoAnswer);

  Simulator without_header({dir / "chip.hex", nullptr, &ui, dir / "no-gputils"});
  without_header.ShowConfig(0, 0);
  EXPECT_TRUE(ui.config_shown.settings.empty());  // the dialog edits raw bytes then
}

}  // namespace
}  // namespace pic18sim
