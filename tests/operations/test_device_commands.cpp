// The device and file commands, scenario by scenario: the plug-in's script in;
// its call log, the status texts, the messages and the window's state out.
#include <functional>

#include "operations/messages.h"
#include "tests/operations/commands_fixture.h"

namespace tessil {
namespace {

using testing_support::Cat;
using testing_support::ChecksumAndId;
using testing_support::CommandsTest;
using testing_support::Log;
using fakes::Message;

const Log kFullReadMemory = {"_InitHardware", "_PowerOn", "_ReadMem", "_GetMemorySize(1)",
                             "_GetMemoryBuffer(1)"};
const Log kConfigAndIdBack = {"_InitHardware", "_PowerOn", "_ReadConfig", "_ReadID", "_PowerOff"};
const Log kReadTail = Cat({kConfigAndIdBack, ChecksumAndId(1), {"_GetMemorySize(1)"}});
const Log kFullRead = Cat({kFullReadMemory, kReadTail});

Log ProgramCalls(int kind) {
  const std::string k = "(" + std::to_string(kind) + ")";
  return {"_InitHardware", "_PowerOn", "_ProgramMem" + k,    "_PowerOff",
          "_InitHardware", "_PowerOn", "_ProgramConfig" + k, "_PowerOff",
          "_InitHardware", "_PowerOn", "_ProgramID" + k,     "_PowerOff"};
}
const Log kAdoptFileImage = {"_GetMemorySize(1)", "_GetMemoryBuffer(0)", "_SetMemoryBuffer(1)"};

const Message kBlank{text::kBlank, text::kDllCaption, MessageIcon::Exclamation};
const Message kLocked{text::kLocked, text::kDllCaption, MessageIcon::Exclamation};
const Message kProgrammed{text::kProgrammed, text::kDllCaption, MessageIcon::Exclamation};
const Message kVerifyFailed{text::kVerifyFailed, text::kDllCaption, MessageIcon::Stop};
const Message kFileRefused{text::kFileRefused, text::kHexCaption, MessageIcon::Stop};
const Message kSaveFailed{text::kSaveFailed, text::kHexCaption, MessageIcon::Stop};

enum class Before { Nothing, FileShown, ChipShown };

struct Scenario {
  const char* name;
  Before before;
  std::function<void(fakes::RecorderState&, fakes::FakeView&)> script;
  void (Commands::*command)();
  Log calls;
  std::vector<std::string> activity;
  std::vector<Message> messages;
  int selectorAfter;
};

auto Script(std::vector<std::pair<std::string, int>> results) {
  return [results](fakes::RecorderState& p, fakes::FakeView&) {
    for (const auto& [name, value] : results) p.result[name] = static_cast<std::uint8_t>(value);
  };
}
const auto kNoScript = [](fakes::RecorderState&, fakes::FakeView&) {};
const auto kAutorun = [](fakes::RecorderState&, fakes::FakeView& v) {
  v.menuChecked[MenuItem::AutorunPIC] = true;
};

const std::string kReading = text::kReading, kComplete = text::kReadComplete,
                  kAborted = text::kAborted, kWriting = text::kWriting,
                  kVerifying = text::kVerifying;

const Scenario kScenarios[] = {
    {"ReadCompleted", Before::Nothing, kNoScript, &Commands::SB_downloadClick, kFullRead,
     {kReading, kComplete}, {}, 1},
    {"ReadBlank", Before::Nothing, Script({{"_ReadMem", 3}}), &Commands::SB_downloadClick,
     kFullRead, {kReading, kComplete}, {kBlank}, 1},
    {"ReadLocked", Before::Nothing, Script({{"_ReadConfig", 6}}), &Commands::SB_downloadClick,
     kFullRead, {kReading, kComplete}, {kLocked}, 1},
    {"ReadAborted", Before::FileShown, Script({{"_ReadMem", 10}}), &Commands::SB_downloadClick,
     {"_InitHardware", "_PowerOn", "_ReadMem"}, {kReading, kAborted}, {}, 0},
    {"ProgramFileImage", Before::FileShown, kNoScript, &Commands::SB_uploadClick,
     Cat({ProgramCalls(0), kAdoptFileImage, kReadTail}),
     {kWriting, kReading, kComplete, kVerifying, text::kWriteComplete}, {kProgrammed}, 1},
    {"ProgramWithAutorun", Before::FileShown, kAutorun, &Commands::SB_uploadClick,
     Cat({ProgramCalls(0), kAdoptFileImage, kReadTail, {"_RunTarget"}}),
     {kWriting, kReading, kComplete, kVerifying, text::kWriteComplete}, {kProgrammed}, 1},
    {"ProgramChipImage", Before::ChipShown, kNoScript, &Commands::SB_uploadClick,
     Cat({ProgramCalls(1), {"_GetMemorySize(1)"}, kReadTail}),
     {kWriting, kReading, kComplete, kVerifying, text::kWriteComplete}, {kProgrammed}, 1},
    {"ProgramAborted", Before::FileShown, Script({{"_ProgramMem", 10}}), &Commands::SB_uploadClick,
     ProgramCalls(0), {kWriting, kAborted}, {}, 0},
    // A failed verification reads the device back in full.
    {"ProgramVerifyFailed", Before::FileShown, Script({{"_ProgramMem", 5}}),
     &Commands::SB_uploadClick, Cat({ProgramCalls(0), kFullRead}),
     {kWriting, kReading, kComplete, kVerifying, text::kWriteFailed}, {kVerifyFailed}, 1},
    {"ProgramOtherResultIsSuccess", Before::FileShown, Script({{"_ProgramMem", 1}}),
     &Commands::SB_uploadClick, Cat({ProgramCalls(0), kAdoptFileImage, kReadTail}),
     {kWriting, kReading, kComplete, kVerifying, text::kWriteComplete}, {kProgrammed}, 1},
    // Nothing selected and no image yet: the chip image is programmed, and
    // the read-back has no array to page through.
    {"ProgramBeforeAnyImage", Before::Nothing, kNoScript, &Commands::SB_uploadClick,
     Cat({ProgramCalls(1), {"_GetMemorySize(1)"}, kConfigAndIdBack, ChecksumAndId(1)}),
     {kWriting, kReading, kComplete, kVerifying, text::kWriteComplete}, {kProgrammed}, 1},
    {"BulkErase", Before::FileShown, Script({{"_ReadMem", 3}}), &Commands::EraseClick,
     Cat({{"_InitHardware", "_PowerOn", "_DoBulkErase(23063)", "_PowerOff"}, kFullRead}),
     {kReading, kComplete}, {kBlank}, 1},
    {"ConfigurationBitsOfTheFileImage", Before::FileShown, kNoScript, &Commands::configClick,
     {"_ShowConfig(23063,0)", "_ComputeGeneralChecksum(0)"}, {}, {}, 0},
    {"ConfigurationBitsWithNothingSelected", Before::Nothing, kNoScript, &Commands::configClick,
     {"_ShowConfig(23063,1)", "_ComputeGeneralChecksum(1)"}, {}, {}, -1},
    {"HardwareSettings", Before::Nothing, kNoScript, &Commands::settingsClick,
     {"_ShowSettings(23063)"}, {}, {}, -1},
    {"LoadAccepted", Before::ChipShown,
     [](fakes::RecorderState&, fakes::FakeView& v) { v.openAnswers.push_back("/tmp/b.hex"); },
     &Commands::SB_loadClick,
     Cat({{"_ParseFile(/tmp/b.hex)", "_GetMemorySize(0)", "_GetMemoryBuffer(0)",
           "_GetMemorySize(0)"},
          ChecksumAndId(0)}),
     {"OPENING : /tmp/b.hex"}, {}, 0},
    {"LoadRefused", Before::ChipShown,
     [](fakes::RecorderState& p, fakes::FakeView& v) {
       v.openAnswers.push_back("/tmp/bad.hex");
       p.result["_ParseFile"] = 1;
     },
     &Commands::SB_loadClick, {"_ParseFile(/tmp/bad.hex)"}, {"OPENING : /tmp/bad.hex"},
     {kFileRefused}, 1},
    {"LoadCancelled", Before::FileShown, kNoScript, &Commands::SB_loadClick, {}, {}, {}, 0},
    {"SaveTheFileImage", Before::FileShown,
     [](fakes::RecorderState&, fakes::FakeView& v) { v.saveAnswers.push_back("/tmp/out.hex"); },
     &Commands::SB_saveClick, {"_SetMemoryBuffer(0)", "_UnParseFile(/tmp/out.hex,0)"},
     {"SAVING  : /tmp/out.hex"}, {}, 0},
    {"SaveFailed", Before::ChipShown,
     [](fakes::RecorderState& p, fakes::FakeView& v) {
       v.saveAnswers.push_back("/nope/out.hex");
       p.result["_UnParseFile"] = 1;
     },
     &Commands::SB_saveClick, {"_SetMemoryBuffer(1)", "_UnParseFile(/nope/out.hex,1)"},
     {"SAVING  : /nope/out.hex"}, {kSaveFailed}, 1},
    {"SaveCancelled", Before::FileShown, kNoScript, &Commands::SB_saveClick, {}, {}, {}, 0},
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

class DeviceCommands : public CommandsTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(DeviceCommands, CallsStatusTextsMessagesAndPolling) {
  const Scenario& s = GetParam();
  if (s.before == Before::FileShown) LoadFile();
  if (s.before == Before::ChipShown) ReadChip();
  s.script(plugin, view);

  (commands.*s.command)();

  EXPECT_EQ(plugin.TakeLog(), s.calls);
  EXPECT_EQ(view.activityLog, s.activity);
  EXPECT_EQ(view.messages.size(), s.messages.size());
  for (std::size_t i = 0; i < std::min(view.messages.size(), s.messages.size()); ++i) {
    EXPECT_EQ(view.messages[i], s.messages[i]) << "message " << i;
  }
  EXPECT_EQ(view.selector, s.selectorAfter);
  // Every way out resumes polling, and every run leaves the next Read a full one.
  EXPECT_TRUE(view.timerEnabled[Timer::Polling]);
  EXPECT_EQ(session.pollMemo, 0);
  EXPECT_TRUE(session.FullRead);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, DeviceCommands, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandsTest, ReadTakesTheChipImageAndEnablesWhatNeedsAnImage) {
  plugin.size = {64, 200};
  plugin.image[1] = {0x6948, 0x0A21};
  LoadFile();
  view.scrollPosition = 2;
  commands.SB_downloadClick();
  ASSERT_TRUE(session.images.ChipImage);
  EXPECT_EQ(session.images.ChipImage->size(), 200u);
  EXPECT_EQ(session.images.DisplayedImage, session.images.ChipImage.get());
  EXPECT_EQ(view.scrollMaximum, 2);
  EXPECT_EQ(view.scrollPosition, 2);  // kept: within the new range
  for (Control c : {Control::ScrollBar1, Control::DisplayCombo, Control::SB_save,
                    Control::SB_upload}) {
    EXPECT_TRUE(view.enabled[c]);
  }
  EXPECT_TRUE(view.menuEnabled[MenuItem::config]);
  // The file image and the other status panels are untouched.
  EXPECT_EQ(session.images.FileImage->size(), 64u);
  EXPECT_EQ(view.status[StatusPanel::Plugin], "DLL : librecording.so");
}

TEST_F(CommandsTest, AbortedReadChangesNothingButTheStatus) {
  LoadFile();
  const auto* shown = session.images.DisplayedImage;
  const auto grid = view.grid;
  const auto enabled = view.enabled;
  plugin.result["_ReadMem"] = 10;
  commands.SB_downloadClick();
  EXPECT_EQ(session.images.DisplayedImage, shown);
  EXPECT_FALSE(session.images.ChipImage);
  EXPECT_EQ(view.grid, grid);
  EXPECT_EQ(view.enabled, enabled);
  EXPECT_EQ(view.status[StatusPanel::Activity], text::kAborted);
}

TEST_F(CommandsTest, ProgrammedFileImageBecomesASeparateChipImage) {
  plugin.image[0] = {1, 2, 3};
  LoadFile();
  commands.SB_uploadClick();
  ASSERT_TRUE(session.images.ChipImage);
  EXPECT_NE(session.images.ChipImage.get(), session.images.FileImage.get());
  EXPECT_EQ(*session.images.ChipImage, *session.images.FileImage);
  EXPECT_EQ(plugin.image[1], *session.images.ChipImage);  // handed back as the chip image
}

TEST_F(CommandsTest, FailedVerificationShowsWhatTheDeviceReturned) {
  plugin.image[0] = {0x1111, 0x2222};
  plugin.image[1] = {0x1111, 0x0000};  // what the device holds after the failed write
  LoadFile();
  plugin.result["_ProgramMem"] = 5;
  commands.SB_uploadClick();
  ASSERT_TRUE(session.images.ChipImage);
  EXPECT_EQ((*session.images.ChipImage)[1], 0x0000);
  EXPECT_EQ(view.grid[1][2], "0000");
}

TEST_F(CommandsTest, LoadResetsThePageAndRemembersThePath) {
  plugin.size = {8192, 8192};
  LoadFile();
  view.SetScrollPosition(5);
  view.openAnswers.push_back("/tmp/second.hex");
  commands.SB_loadClick();
  EXPECT_EQ(view.scrollPosition, 0);
  EXPECT_EQ(view.scrollMaximum, 127);
  EXPECT_EQ(view.grid[1][0], "0x00000");
  EXPECT_EQ(view.openSetups.back().fileName, "/tmp/first.hex");
  EXPECT_EQ(view.openSetups.back().title, text::kLoadTitle);
  EXPECT_EQ(session.settings->ReadString("open"), "/tmp/second.hex");
  EXPECT_EQ(session.settings->CurrentKey(), keys::kMainWindow);
}

TEST_F(CommandsTest, PathsLongerThan255CharactersAreRefusedBeforeThePlugin) {
  const std::string longPath = "/tmp/" + std::string(251, 'a') + ".hex";
  view.openAnswers.push_back(longPath);
  commands.SB_loadClick();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, text::kPathTooLong);
  EXPECT_TRUE(plugin.TakeLog().empty());
  EXPECT_FALSE(session.images.FileImage);
  EXPECT_TRUE(view.timerEnabled[Timer::Polling]);
}

TEST_F(CommandsTest, SaveLooksAtTheRememberedNameAndAddsTheExtension) {
  LoadFile();
  view.saveAnswers.push_back(std::nullopt);
  commands.SB_saveClick();
  ASSERT_EQ(view.saveSetups.size(), 1u);
  EXPECT_EQ(view.saveSetups[0].defaultExtension, "HEX");
  EXPECT_EQ(view.saveSetups[0].title, text::kSaveTitle);
  EXPECT_EQ(session.settings->ReadString("save"), "");
}

TEST_F(CommandsTest, AutorunStartsTheTargetOnlyAfterSuccess) {
  LoadFile();
  view.menuChecked[MenuItem::AutorunPIC] = true;
  for (int result : {5, 10}) {
    plugin.result["_ProgramMem"] = static_cast<std::uint8_t>(result);
    commands.SB_uploadClick();
    const Log log = plugin.TakeLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "_RunTarget"), 0) << result;
  }
}

TEST_F(CommandsTest, PollingThatWasStoppedStaysStopped) {
  view.timerEnabled[Timer::Polling] = false;
  LoadFile();
  commands.SB_downloadClick();
  commands.EraseClick();
  commands.SB_uploadClick();
  EXPECT_FALSE(view.timerEnabled[Timer::Polling]);
}

TEST_F(CommandsTest, WithNoPluginTheCommandsSaySoAndCallNothing) {
  LoadFile();
  commands.LoadPlugin("missing:_ReadID");
  view.messages.clear();
  plugin.TakeLog();
  for (auto command : {&Commands::SB_downloadClick, &Commands::SB_uploadClick,
                       &Commands::EraseClick, &Commands::configClick, &Commands::settingsClick,
                       &Commands::SB_saveClick}) {
    (commands.*command)();
  }
  EXPECT_EQ(view.messages.size(), 6u);
  for (const auto& m : view.messages) EXPECT_EQ(m.text, text::kNoPlugin);
  EXPECT_TRUE(plugin.TakeLog().empty());
  EXPECT_TRUE(view.timerEnabled[Timer::Polling]);
}

}  // namespace
}  // namespace tessil
