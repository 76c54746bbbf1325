#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <set>

#include "operations/commands.h"
#include "settings/file_store.h"
#include "settings/memory_store.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/plugin_files.h"
#include "tests/fakes/recording_plugin.h"

namespace tessil {
namespace {

using fakes::FakeView;
using fakes::Message;
using fakes::Recorder;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr char kRefusal[] =
    "             DLL interface error !\n Download a newer version of the DLL.";
const Message kRefusalMessage{kRefusal, "DLL message ...", MessageIcon::Stop};

// Everything of the window that these commands may change.
struct ViewState {
  std::map<Control, bool> enabled, visible;
  std::map<MenuItem, bool> menuEnabled, menuChecked;
  std::map<StatusPanel, std::string> status;
  bool timer;
  bool operator==(const ViewState&) const = default;
};

void PrintTo(const ViewState& s, std::ostream* os) {
  auto print = [os](const char* title, const auto& map) {
    *os << title << "{";
    for (const auto& [key, value] : map) *os << static_cast<int>(key) << ":" << value << " ";
    *os << "} ";
  };
  print("enabled", s.enabled);
  print("visible", s.visible);
  print("menuEnabled", s.menuEnabled);
  print("menuChecked", s.menuChecked);
  print("status", s.status);
  *os << "timer " << s.timer;
}

class PluginCommandsTest : public testing::Test {
 protected:
  explicit PluginCommandsTest(LibraryOpener opener = fakes::InProcessOpener())
      : s(std::move(opener)) {
    Recorder().Reset();
    auto store = std::make_unique<MemoryStore>();
    store->CreateKey(keys::kMainWindow);
    store->CreateKey(keys::kDll);
    store->Write(keys::kDll, "filename", std::string("/old/libold.so"));
    store->Write(keys::kDll, "autorun", std::string("NO"));
    store_ = store.get();
    s.settings = std::make_unique<Settings>(std::move(store));
  }

  ViewState State() const {
    return {v.enabled,     v.visible, v.menuEnabled,
            v.menuChecked, v.status,  v.timerEnabled.at(Timer::Polling)};
  }
  std::vector<std::string> Calls() { return Recorder().TakeLog(); }
  std::string Stored(const char* name) const {
    auto value = store_->Read(keys::kDll, name);
    return value ? std::get<std::string>(*value) : "(none)";
  }
  void Accept() {
    c.LoadPlugin("/plugins/librecording.so");
    ASSERT_TRUE(s.plugin.Accepted());
    Calls();
  }
  // A poll that finds a device, so that Autorun becomes available.
  void PollWithDevice() {
    Recorder().resultQueue["_ReadRevDev"].push_back(TESSIL_DEVICE_FOUND);
    c.Timer2Timer();
    Calls();
  }

  Session s;
  FakeView v;
  Commands c{s, v};
  MemoryStore* store_;
};

TEST_F(PluginCommandsTest, AcceptedPluginIsGreetedInitialisedAndOffered) {
  ViewState expected = State();
  c.LoadPlugin("/plugins/librecording.so");

  EXPECT_THAT(Calls(), ElementsAre("_ShowDLL(23063)", "_InitHardware"));
  expected.status[StatusPanel::Plugin] = "DLL : librecording.so";
  expected.enabled[Control::SB_load] = true;
  expected.menuEnabled[MenuItem::AutotectPIC] = true;
  expected.menuChecked[MenuItem::AutotectPIC] = true;
  expected.menuEnabled[MenuItem::settings] = true;
  EXPECT_EQ(State(), expected);
  EXPECT_THAT(v.messages, IsEmpty());
}

class RefusedPlugin : public PluginCommandsTest, public testing::WithParamInterface<std::string> {};

TEST_P(RefusedPlugin, ReplacesTheAcceptedOneAndResetsOnlyTheLoaderControls) {
  Accept();
  PollWithDevice();  // device commands on: the refusal must leave them so
  ViewState expected = State();

  c.LoadPlugin(GetParam());

  EXPECT_THAT(Calls(), IsEmpty());  // the previous plug-in goes without a call
  EXPECT_FALSE(s.plugin.Accepted());
  expected.status[StatusPanel::Plugin] = "DLL : " + GetParam();
  expected.enabled[Control::SB_load] = false;
  expected.menuEnabled[MenuItem::settings] = false;
  expected.menuEnabled[MenuItem::AutotectPIC] = false;
  expected.menuChecked[MenuItem::AutotectPIC] = false;
  EXPECT_EQ(State(), expected);
  EXPECT_THAT(v.messages, ElementsAre(kRefusalMessage));
}

INSTANTIATE_TEST_SUITE_P(Paths, RefusedPlugin,
                         testing::Values("missing:_ShowDLL", "missing:_ReadRevDev",
                                         "missing:_RunTarget", "unloadable"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::erase_if(name, [](char c) { return !std::isalnum(c); });
                           return name;
                         });

TEST_F(PluginCommandsTest, NamesTheFileAfterTheLastSeparatorOfEitherKind) {
  const std::pair<std::string, std::string> cases[] = {
      {"/home/me/plugins/libpic.so", "DLL : libpic.so"},
      {"C:\\Tessil\\plugins\\pic18.so", "DLL : pic18.so"},
      {"libpic.so", "DLL : libpic.so"},
      {"/mixed\\sep/last.so", "DLL : last.so"},
      {"C:\\odd/dir\\mixed.so", "DLL : mixed.so"},
      {"/plugins/", "DLL : "},
  };
  for (const auto& [path, shown] : cases) {
    c.LoadPlugin(path);
    EXPECT_EQ(v.status[StatusPanel::Plugin], shown) << path;
  }
}

TEST_F(PluginCommandsTest, SamePluginAgainIsGreetedAgainAndAutodetectCheckedAgain) {
  Accept();
  c.AutotectPICClick();  // the user switches to manual mode
  ASSERT_FALSE(v.menuChecked[MenuItem::AutotectPIC]);

  c.LoadPlugin("/plugins/librecording.so");

  EXPECT_THAT(Calls(), ElementsAre("_ShowDLL(23063)", "_InitHardware"));
  EXPECT_TRUE(v.menuChecked[MenuItem::AutotectPIC]);
  EXPECT_FALSE(v.timerEnabled[Timer::Polling]);  // the loader leaves the timer alone
  EXPECT_TRUE(v.menuEnabled[MenuItem::AutorunPIC]);
}

TEST_F(PluginCommandsTest, GoodPluginAfterARefusedOneIsAccepted) {
  c.LoadPlugin("missing:_ReadID");
  c.LoadPlugin("/plugins/librecording.so");
  EXPECT_TRUE(s.plugin.Accepted());
  EXPECT_THAT(Calls(), ElementsAre("_ShowDLL(23063)", "_InitHardware"));
  EXPECT_TRUE(v.enabled[Control::SB_load]);
  EXPECT_THAT(v.messages, ElementsAre(kRefusalMessage));  // from the first only
}

struct SelectCase {
  std::string name;
  std::optional<std::string> chosen;
  bool accepted;
  std::string stored;
  std::size_t messages;
};

void PrintTo(const SelectCase& test, std::ostream* os) {
  *os << test.name;
}

class SelectPlugin : public PluginCommandsTest, public testing::WithParamInterface<SelectCase> {};

TEST_P(SelectPlugin, OffersTheStoredFileAndStoresTheChoice) {
  const SelectCase& test = GetParam();
  s.settings->OpenKey(keys::kMainWindow);
  v.openAnswers.push_back(test.chosen);

  c.SelectPICClick();

  ASSERT_EQ(v.openSetups.size(), 1u);
  EXPECT_EQ(v.openSetups[0].filter, "*.so|*.so");
  EXPECT_EQ(v.openSetups[0].fileName, "/old/libold.so");
  EXPECT_EQ(s.plugin.Accepted(), test.accepted);
  EXPECT_EQ(Stored("filename"), test.stored);
  EXPECT_EQ(s.settings->CurrentKey(), std::optional<std::string>(keys::kDll));
  EXPECT_EQ(v.messages.size(), test.messages);
  if (!test.chosen) {
    EXPECT_EQ(v.status[StatusPanel::Plugin], "Unknow PIC");
    EXPECT_THAT(Calls(), IsEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, SelectPlugin,
    testing::Values(SelectCase{"Accepted", "/new/librecording.so", true, "/new/librecording.so", 0},
                    SelectCase{"Refused", "missing:_PowerOn", false, "missing:_PowerOn", 1},
                    SelectCase{"Cancelled", std::nullopt, false, "/old/libold.so", 0}),
    [](const auto& info) { return info.param.name; });

// A store whose plug-in key was deleted by hand: the open fails, so the
// dialog offers and the choice lands in the key that was current before.
TEST_F(PluginCommandsTest, SelectWithoutThePluginKeyUsesTheKeyCurrentBefore) {
  auto bare = std::make_unique<MemoryStore>();
  bare->CreateKey(keys::kTop);
  bare->Write(keys::kTop, "filename", std::string("/top/libold.so"));
  store_ = bare.get();
  s.settings = std::make_unique<Settings>(std::move(bare));
  s.settings->OpenKey(keys::kTop);

  v.openAnswers.push_back("/p/librecording.so");
  c.SelectPICClick();
  EXPECT_EQ(v.openSetups.at(0).fileName, "/top/libold.so");
  EXPECT_FALSE(store_->KeyExists(keys::kDll));
  EXPECT_EQ(std::get<std::string>(*store_->Read(keys::kTop, "filename")), "/p/librecording.so");
  EXPECT_EQ(s.settings->CurrentKey(), keys::kTop);
}

struct PollCase {
  std::uint8_t hardware;  // _IsHWPresent's answer
  std::uint8_t device;    // _ReadRevDev's answer
  bool image;
  bool programBefore;
  bool programAfter;
};

void PrintTo(const PollCase& test, std::ostream* os) {
  *os << "hardware " << +test.hardware << ", device " << +test.device << ", image " << test.image
      << ", Program before " << test.programBefore;
}

class Poll : public PluginCommandsTest, public testing::WithParamInterface<PollCase> {};

TEST_P(Poll, AsksHardwareThenDeviceAndSwitchesTheDeviceCommands) {
  const PollCase& test = GetParam();
  Accept();
  Recorder().result["_IsHWPresent"] = test.hardware;
  Recorder().result["_ReadRevDev"] = test.device;
  if (test.image) s.images.ChipImage = std::make_unique<WordArray>(8);
  v.enabled[Control::SB_upload] = test.programBefore;
  // Controls a poll must never touch, set to values it would not give them.
  v.enabled[Control::SB_save] = true;
  v.menuEnabled[MenuItem::config] = true;
  v.menuChecked[MenuItem::AutorunPIC] = true;
  ViewState expected = State();

  c.Timer2Timer();

  EXPECT_THAT(Calls(), ElementsAre("_InitHardware", "_IsHWPresent", "_InitHardware", "_PowerOn",
                                   "_ReadRevDev", "_PowerOff"));
  const bool device = test.device == TESSIL_DEVICE_FOUND;
  expected.status[StatusPanel::Hardware] =
      test.hardware == TESSIL_HW_ABSENT ? "HW not detected" : "HW detected";
  expected.visible[Control::Image1] = !device;
  expected.visible[Control::Image2] = device;
  expected.enabled[Control::SB_download] = device;
  expected.enabled[Control::SB_upload] = test.programAfter;
  for (MenuItem item : {MenuItem::Erase, MenuItem::AutotectPIC, MenuItem::AutorunPIC}) {
    expected.menuEnabled[item] = device;
  }
  EXPECT_EQ(State(), expected);
  EXPECT_THAT(v.messages, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Answers, Poll,
                         testing::Values(
                             // hardware, device, image, Program before, Program after
                             PollCase{0, 7, true, false, true},
                             PollCase{0, 7, false, false, false},  // no image: left as it was
                             PollCase{8, 7, true, false, true},
                             PollCase{8, 7, false, true, true},  // left as it was
                             PollCase{0, 0, true, true, false},
                             PollCase{0, 6, false, true, false},  // only 7 is a device
                             PollCase{8, 0, true, true, false},
                             PollCase{8, 0, false, false, false}),
                         [](const auto& info) {
                           const PollCase& test = info.param;
                           return std::string(test.hardware == 8 ? "NoHardware" : "Hardware") +
                                  (test.device == 7 ? "Device" : "NoDevice") +
                                  (test.image ? "Image" : "NoImage");
                         });

TEST_F(PluginCommandsTest, PollReturnsAtOnceWithAutodetectOffOrNoPluginAccepted) {
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"never loaded, Autodetect checked", [&] { v.menuChecked[MenuItem::AutotectPIC] = true; }},
      {"accepted, Autodetect unchecked",
       [&] {
         Accept();
         v.menuChecked[MenuItem::AutotectPIC] = false;
       }},
      {"refused, then Autodetect switched back on by hand",
       [&] {
         Accept();
         PollWithDevice();
         c.LoadPlugin("unloadable");
         c.AutorunPICClick();
         c.AutorunPICClick();  // leaves Autodetect enabled
         c.AutotectPICClick();
         ASSERT_TRUE(v.menuChecked[MenuItem::AutotectPIC]);
         Calls();
       }},
  };
  for (const auto& [name, setUp] : cases) {
    SCOPED_TRACE(name);
    setUp();
    ViewState before = State();
    c.Timer2Timer();
    EXPECT_THAT(Calls(), IsEmpty());
    EXPECT_EQ(State(), before);
  }
}

// The modes, as the two check items, the timer and the stored autorun value show them.
struct Mode {
  bool detectEnabled, detectChecked, autorunEnabled, autorunChecked, timer;
  std::string stored;
  bool operator==(const Mode&) const = default;
};

void PrintTo(const Mode& m, std::ostream* os) {
  *os << "detect " << m.detectEnabled << m.detectChecked << " autorun " << m.autorunEnabled
      << m.autorunChecked << " timer " << m.timer << " stored " << m.stored;
}

TEST_F(PluginCommandsTest, ModesFollowTheTogglesAndTheLoader) {
  auto mode = [&] {
    return Mode{v.menuEnabled[MenuItem::AutotectPIC], v.menuChecked[MenuItem::AutotectPIC],
                v.menuEnabled[MenuItem::AutorunPIC],  v.menuChecked[MenuItem::AutorunPIC],
                v.timerEnabled[Timer::Polling],       Stored("autorun")};
  };
  const std::tuple<const char*, std::function<void()>, Mode> steps[] = {
      {"idle to automatic", [&] { Accept(); }, {true, true, false, false, true, "NO"}},
      {"a device answers", [&] { PollWithDevice(); }, {true, true, true, false, true, "NO"}},
      {"automatic to autorun",
       [&] { c.AutorunPICClick(); },
       {false, false, true, true, true, "YES"}},
      {"autorun to manual", [&] { c.AutorunPICClick(); }, {true, false, true, false, true, "NO"}},
      {"manual to automatic",
       [&] { c.AutotectPICClick(); },
       {true, true, false, false, true, "NO"}},
      {"automatic to manual",
       [&] { c.AutotectPICClick(); },
       {true, false, true, false, false, "NO"}},
      {"manual to autorun", [&] { c.AutorunPICClick(); }, {false, false, true, true, false, "YES"}},
      {"accepted in autorun", [&] { Accept(); }, {true, true, true, true, false, "YES"}},
      {"refused", [&] { c.LoadPlugin("unloadable"); }, {false, false, true, true, false, "YES"}},
  };
  for (const auto& [name, step, expected] : steps) {
    SCOPED_TRACE(name);
    step();
    EXPECT_EQ(mode(), expected);
  }
}

TEST_F(PluginCommandsTest, ManualModeOffersTheDeviceCommandsWithoutImageOrDevice) {
  Accept();
  c.AutotectPICClick();
  EXPECT_TRUE(v.enabled[Control::SB_download]);
  EXPECT_TRUE(v.enabled[Control::SB_upload]);
  EXPECT_TRUE(v.menuEnabled[MenuItem::Erase]);
}

TEST_F(PluginCommandsTest, AutorunToggleStoresUnderThePluginKeyAndLeavesItCurrent) {
  Accept();
  PollWithDevice();
  s.settings->OpenKey(keys::kMainWindow);
  c.AutorunPICClick();
  EXPECT_EQ(Stored("autorun"), "YES");
  EXPECT_EQ(s.settings->CurrentKey(), std::optional<std::string>(keys::kDll));
  Recorder().result["_ReadRevDev"] = TESSIL_DEVICE_FOUND;
  c.Timer2Timer();  // the timer still ticks, but Autodetect is off
  EXPECT_THAT(Calls(), IsEmpty());
}

TEST_F(PluginCommandsTest, PauseMemoIsOneFlagNotACounter) {
  // P pause, R resume, S the timer stopped by other means (as manual mode does).
  const std::tuple<bool, std::string, std::vector<bool>> cases[] = {
      {true, "PPRR", {false, false, true, true}},
      {true, "PPRSR", {false, false, true, false, false}},
      {false, "PR", {false, false}},
      {false, "PPRR", {false, false, false, false}},
      {true, "PRPR", {false, true, false, true}},
  };
  for (const auto& [running, script, expected] : cases) {
    SCOPED_TRACE(script + (running ? " from running" : " from stopped"));
    s.pollMemo = 0;
    v.timerEnabled[Timer::Polling] = running;
    std::vector<bool> timer;
    for (char op : script) {
      if (op == 'P') c.PausePolling();
      if (op == 'R') c.ResumePolling();
      if (op == 'S') v.timerEnabled[Timer::Polling] = false;
      timer.push_back(v.timerEnabled[Timer::Polling]);
    }
    EXPECT_EQ(timer, expected);
    EXPECT_EQ(s.pollMemo, script.ends_with('R') ? 0 : 1);
  }
}

// The same commands over real shared libraries loaded with dlopen.
class RealPluginCommandsTest : public PluginCommandsTest {
 protected:
  RealPluginCommandsTest() : PluginCommandsTest(LibraryOpener{}) {}
  const std::string good = fakes::RecordingLibraryPath();
};

TEST_F(RealPluginCommandsTest, UnloadableFilesAreRefusedWithTheInterfaceMessage) {
  const std::string dir = std::filesystem::path(good).parent_path().string();
  const std::pair<std::string, std::string> cases[] = {
      {dir + "/gone.so", "DLL : gone.so"},
      {fakes::NotALibraryPath(), "DLL : not_a_library.so"},
      {fakes::RecordingLibraryMissingPath("_DoBulkErase"),
       "DLL : librecording_missing_DoBulkErase.so"},
  };
  for (const auto& [path, shown] : cases) {
    SCOPED_TRACE(path);
    v.messages.clear();
    c.LoadPlugin(path);
    EXPECT_FALSE(s.plugin.Accepted());
    EXPECT_EQ(v.status[StatusPanel::Plugin], shown);
    EXPECT_THAT(v.messages, ElementsAre(kRefusalMessage));
  }
}

TEST_F(RealPluginCommandsTest, ReloadingTheSamePluginStartsItAfresh) {
  c.LoadPlugin(good);
  c.Timer2Timer();
  c.LoadPlugin(good);
  ASSERT_NE(fakes::LoadedRecorder(good), nullptr);
  // Its state was lost with the unload: only the new greeting is recorded.
  EXPECT_THAT(fakes::LoadedRecorder(good)->TakeLog(),
              ElementsAre("_ShowDLL(23063)", "_InitHardware"));
}

TEST_F(RealPluginCommandsTest, NothingReachesALibraryOnceARefusalUnloadedIt) {
  const std::string refused = fakes::RecordingLibraryMissingPath("_ReadRevDev");
  c.LoadPlugin(good);
  fakes::LoadedRecorder(good)->result["_ReadRevDev"] = TESSIL_DEVICE_FOUND;
  fakes::LoadedRecorder(good)->result["_IsHWPresent"] = TESSIL_HW_ABSENT;
  c.Timer2Timer();  // Read and the mode items on, as a device answered
  ASSERT_TRUE(v.menuEnabled[MenuItem::AutorunPIC]);
  ASSERT_EQ(v.status[StatusPanel::Hardware], "HW not detected");
  c.LoadPlugin(refused);
  ASSERT_FALSE(fakes::IsLoaded(good));
  ASSERT_FALSE(fakes::IsLoaded(refused));

  // Every path that can still be taken: a call into either library would
  // jump into unmapped code, and a poll that got past its first step would
  // report the hardware anew.
  c.AutorunPICClick();
  c.Timer2Timer();
  c.AutorunPICClick();
  c.AutotectPICClick();
  c.Timer2Timer();
  c.AutotectPICClick();
  EXPECT_EQ(v.status[StatusPanel::Hardware], "HW not detected");
  EXPECT_FALSE(fakes::IsLoaded(good));
}

// Two runs of the program over one settings file: the first chooses the
// plug-in and closes, which unloads it; the second loads it again at start.
TEST_F(RealPluginCommandsTest, CloseUnloadsAndTheNextStartLoadsTheStoredPluginAgain) {
  const auto file = std::filesystem::path(testing::TempDir()) / "tessil_restart.reg";
  std::filesystem::remove(file);
  struct Run {
    fakes::FakeView view;
    Session session;
    Commands commands{session, view};
  };
  {
    Run first;
    first.commands.CreateSettings(std::make_unique<FileStore>(file));
    first.commands.AfterShown();
    first.view.openAnswers.push_back(good);
    first.commands.SelectPICClick();
    ASSERT_TRUE(fakes::IsLoaded(good));
    first.commands.FormClose();
    EXPECT_FALSE(fakes::IsLoaded(good));
  }
  Run second;
  second.commands.CreateSettings(std::make_unique<FileStore>(file));
  second.commands.AfterShown();
  ASSERT_NE(fakes::LoadedRecorder(good), nullptr);
  EXPECT_THAT(fakes::LoadedRecorder(good)->TakeLog(),
              ElementsAre("_ShowDLL(23063)", "_InitHardware"));
  EXPECT_EQ(second.view.status[StatusPanel::Plugin], "DLL : librecording.so");
  EXPECT_TRUE(second.session.FullRead);
  second.commands.FormClose();
  std::filesystem::remove(file);
}

TEST_F(RealPluginCommandsTest, PathOverTwoHundredFiftyFiveCharactersIsCarriedWhole) {
  std::filesystem::path dir = testing::TempDir();
  dir /= "tessil_long_path";
  for (int i = 0; i < 5; ++i) dir /= std::string(60, static_cast<char>('a' + i));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "librecording_long_path.so").string();
  ASSERT_GT(path.size(), 300u);
  std::filesystem::remove(path);
  std::filesystem::create_symlink(good, path);
  v.openAnswers.push_back(path);

  c.SelectPICClick();

  EXPECT_TRUE(s.plugin.Accepted());
  EXPECT_EQ(v.status[StatusPanel::Plugin], "DLL : librecording_long_path.so");
  EXPECT_EQ(Stored("filename"), path);
  EXPECT_THAT(v.messages, IsEmpty());
  s.plugin.Unload();
  std::filesystem::remove_all(std::filesystem::path(testing::TempDir()) / "tessil_long_path");
}

}  // namespace
}  // namespace tessil
