#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "plugin/plugin_host.h"
#include "tests/fakes/plugin_files.h"
#include "tests/fakes/recording_plugin.h"

namespace tessil {
namespace {

using fakes::IsLoaded;
using fakes::LoadedRecorder;
using fakes::RecorderState;
using testing::ElementsAre;
using testing::HasSubstr;

const std::vector<std::string> kLookupOrder = TESSIL_ENTRY_NAMES;

// A library that lists the names it is asked for and lacks some of them.
class LookupLibrary : public Library {
 public:
  explicit LookupLibrary(std::set<std::string> missing) : missing_(std::move(missing)) {}
  void* Symbol(const char* name) override {
    asked.emplace_back(name);
    return missing_.contains(name) ? nullptr : reinterpret_cast<void*>(&Dummy);
  }
  std::vector<std::string> asked;

 private:
  static void Dummy() {}
  std::set<std::string> missing_;
};

// Each slot in lookup order, as set or empty.
std::vector<bool> SlotsSet(const EntryTable& table) {
  std::vector<bool> set;
#define TESSIL_SLOT_SET(name, params, args) set.push_back(table.name != nullptr);
  TESSIL_PLUGIN_ENTRIES(TESSIL_SLOT_SET)
#undef TESSIL_SLOT_SET
  return set;
}

TEST(BindPluginEntries, LooksUpAllNamesInOrderAndAnyMissRefuses) {
  const std::vector<std::set<std::string>> cases = {
      {}, {"_ShowDLL"}, {"_ParseFile"}, {"_RunTarget"}, {"_ReadID", "_PowerOn"}};
  for (const auto& missing : cases) {
    SCOPED_TRACE(testing::PrintToString(missing));
    LookupLibrary library(missing);
    EntryTable table;
    BindPluginEntries(table, &library);
    EXPECT_EQ(library.asked, kLookupOrder);  // a miss does not stop the lookups
    std::vector<bool> expected;
    for (const std::string& name : kLookupOrder) expected.push_back(!missing.contains(name));
    expected[0] = missing.empty();  // the _ShowDLL slot is the accepted flag
    EXPECT_EQ(SlotsSet(table), expected);
  }
}

TEST(BindPluginEntries, NoLibraryResolvesNothing) {
  EntryTable table;
  LookupLibrary filled({});
  BindPluginEntries(table, &filled);
  BindPluginEntries(table, nullptr);
  EXPECT_EQ(SlotsSet(table), std::vector<bool>(TESSIL_ENTRY_COUNT, false));
}

// Every call through a host that has nothing accepted: each must return 0
// without touching its out-arguments.
void ExpectInert(PluginHost& host) {
  std::uint32_t count = 77;
  std::array<std::uint16_t, 4> words{1, 2, 3, 4};
  std::uint16_t checksum = 0xBEEF;
  std::uint8_t id = 0x5A;
  std::array<std::uint8_t, TESSIL_REVDEV_SIZE> area;
  area.fill(0x11);
  const std::array<std::uint8_t, TESSIL_REVDEV_SIZE> areaBefore = area;
  const std::vector<std::uint8_t> results = {
      host.ShowDLL(1),
      host.ParseFile("/tmp/a.hex"),
      host.GetMemorySize(&count, 0),
      host.GetMemoryBuffer(words.data(), 0),
      host.SetMemoryBuffer(words.data(), 1),
      host.UnParseFile("/tmp/a.hex", 0),
      host.ProgramMem(0),
      host.ProgramConfig(0),
      host.ProgramID(0),
      host.ReadMem(),
      host.ReadConfig(),
      host.ReadID(),
      host.ReadRevDev(area.data()),
      host.GetIDValue(&id, 2, 1),
      host.SetIDValue(2, 9, 1),
      host.ComputeGeneralChecksum(&checksum, 1),
      host.IsHWPresent(),
      host.InitHardware(),
      host.PowerOn(),
      host.PowerOff(),
      host.ShowSettings(1),
      host.ShowConfig(1, 0),
      host.DoBulkErase(1),
      host.RunTarget(),
  };
  EXPECT_EQ(results, std::vector<std::uint8_t>(TESSIL_ENTRY_COUNT, 0));
  EXPECT_EQ(count, 77u);
  EXPECT_THAT(words, ElementsAre(1, 2, 3, 4));
  EXPECT_EQ(checksum, 0xBEEF);
  EXPECT_EQ(id, 0x5A);
  EXPECT_EQ(area, areaBefore);
}

TEST(PluginHost, CallsNothingBeforeAnyLoad) {
  PluginHost host;
  EXPECT_FALSE(host.Accepted());
  ExpectInert(host);
}

TEST(PluginHost, EveryCallReachesTheLoadedLibraryWithItsArguments) {
  const std::string path = fakes::RecordingLibraryPath();
  PluginHost host;
  ASSERT_TRUE(host.Load(path)) << host.LastError();
  EXPECT_TRUE(host.Accepted());
  RecorderState* state = LoadedRecorder(path);
  ASSERT_NE(state, nullptr);
  state->result["_ReadRevDev"] = TESSIL_DEVICE_FOUND;
  state->result["_IsHWPresent"] = TESSIL_HW_ABSENT;
  state->size = {3, 2};
  state->image[1] = {0x1234};
  state->id[1][5] = 0xC3;
  state->checksum[0] = 0x4321;

  std::uint32_t count = 0;
  std::array<std::uint16_t, 2> words{};
  const std::array<std::uint16_t, 3> toSet{7, 8, 9};
  std::uint16_t checksum = 0;
  std::uint8_t id = 0;
  std::array<std::uint8_t, TESSIL_REVDEV_SIZE> area{};
  host.ShowDLL(0x5A17);
  host.ParseFile("/tmp/in.hex");
  host.GetMemorySize(&count, 1);
  host.GetMemoryBuffer(words.data(), 1);
  host.SetMemoryBuffer(toSet.data(), 0);
  host.UnParseFile("/tmp/out.hex", 1);
  host.ProgramMem(1);
  host.ProgramConfig(0);
  host.ProgramID(1);
  host.ReadMem();
  host.ReadConfig();
  host.ReadID();
  EXPECT_EQ(host.ReadRevDev(area.data()), TESSIL_DEVICE_FOUND);
  host.GetIDValue(&id, 5, 1);
  host.SetIDValue(6, 200, 0);
  host.ComputeGeneralChecksum(&checksum, 0);
  EXPECT_EQ(host.IsHWPresent(), TESSIL_HW_ABSENT);
  host.InitHardware();
  host.PowerOn();
  host.PowerOff();
  host.ShowSettings(11);
  host.ShowConfig(12, 1);
  host.DoBulkErase(13);
  host.RunTarget();

  EXPECT_THAT(
      state->TakeLog(),
      ElementsAre("_ShowDLL(23063)", "_ParseFile(/tmp/in.hex)", "_GetMemorySize(1)",
                  "_GetMemoryBuffer(1)", "_SetMemoryBuffer(0)", "_UnParseFile(/tmp/out.hex,1)",
                  "_ProgramMem(1)", "_ProgramConfig(0)", "_ProgramID(1)", "_ReadMem", "_ReadConfig",
                  "_ReadID", "_ReadRevDev", "_GetIDValue(5,1)", "_SetIDValue(6,200,0)",
                  "_ComputeGeneralChecksum(0)", "_IsHWPresent", "_InitHardware", "_PowerOn",
                  "_PowerOff", "_ShowSettings(11)", "_ShowConfig(12,1)", "_DoBulkErase(13)",
                  "_RunTarget"));
  EXPECT_EQ(count, 2u);
  EXPECT_THAT(words, ElementsAre(0x1234, 0xFFFF));
  EXPECT_THAT(state->image[0], ElementsAre(7, 8, 9));
  EXPECT_EQ(id, 0xC3);
  EXPECT_EQ(state->id[0][6], 200);
  EXPECT_EQ(checksum, 0x4321);

  host.Unload();
  EXPECT_FALSE(host.Accepted());
  EXPECT_FALSE(IsLoaded(path));
  ExpectInert(host);
}

class MissingEntryPoint : public testing::TestWithParam<std::string> {};

TEST_P(MissingEntryPoint, RefusesAndUnloadsTheLibrary) {
  const std::string path = fakes::RecordingLibraryMissingPath(GetParam());
  ASSERT_TRUE(std::filesystem::exists(path)) << path;
  PluginHost host;
  ASSERT_TRUE(host.Load(fakes::RecordingLibraryPath()));
  EXPECT_FALSE(host.Load(path));
  EXPECT_FALSE(host.Accepted());
  // Refused for lacking the name, not because the library failed to load.
  EXPECT_THAT(host.LastError(), HasSubstr("missing entry points: " + GetParam()));
  EXPECT_FALSE(IsLoaded(path));
  EXPECT_FALSE(IsLoaded(fakes::RecordingLibraryPath()));
}

INSTANTIATE_TEST_SUITE_P(EachName, MissingEntryPoint, testing::ValuesIn(kLookupOrder),
                         [](const auto& info) { return info.param.substr(1); });

TEST(PluginHost, RefusesWhatCannotBeLoaded) {
  const std::string fakesDir =
      std::filesystem::path(fakes::RecordingLibraryPath()).parent_path().string();
  const std::string cases[] = {fakesDir + "/no_such_plugin.so", fakes::NotALibraryPath(), fakesDir,
                               ""};
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    PluginHost host;
    ASSERT_TRUE(host.Load(fakes::RecordingLibraryPath()));
    EXPECT_FALSE(host.Load(path));
    EXPECT_FALSE(host.Accepted());
    EXPECT_FALSE(host.LastError().empty());
    EXPECT_FALSE(IsLoaded(fakes::RecordingLibraryPath()));
    ExpectInert(host);
  }
}

TEST(PluginHost, InProcessOpenerHonoursItsPaths) {
  PluginHost host(fakes::InProcessOpener());
  EXPECT_TRUE(host.Load("/any/where.so"));
  EXPECT_FALSE(host.Load("missing:_PowerOff"));
  EXPECT_THAT(host.LastError(), HasSubstr("_PowerOff"));
  EXPECT_FALSE(host.Load("unloadable"));
}

// A plug-in whose _ShowDLL lets the host replace it, as a handler run from a
// message loop inside the call could.
struct Reentry {
  PluginHost* host = nullptr;
  bool destroyed = false;
  bool aliveAfterReplace = false;
  std::uint8_t callAfterReplace = 99;
};
Reentry reentry;

std::uint8_t ShowDllThatReplacesThePlugin(std::uintptr_t) {
  reentry.host->Load("unloadable");
  reentry.aliveAfterReplace = !reentry.destroyed;
  reentry.callAfterReplace = reentry.host->InitHardware();
  return 42;
}

class ReentrantLibrary : public Library {
 public:
  ~ReentrantLibrary() override { reentry.destroyed = true; }
  void* Symbol(const char* name) override {
    if (std::strcmp(name, "_ShowDLL") == 0) {
      return reinterpret_cast<void*>(&ShowDllThatReplacesThePlugin);
    }
    return recording_->Symbol(name);
  }

 private:
  std::unique_ptr<Library> recording_ = fakes::InProcessOpener()("recording");
};

TEST(PluginHost, KeepsALibraryUnloadedDuringOneOfItsCallsUntilTheCallReturns) {
  reentry = {};
  PluginHost host([](const std::string& path) -> std::unique_ptr<Library> {
    if (path == "reentrant") return std::make_unique<ReentrantLibrary>();
    return nullptr;
  });
  reentry.host = &host;
  ASSERT_TRUE(host.Load("reentrant"));
  EXPECT_EQ(host.ShowDLL(1), 42);
  EXPECT_TRUE(reentry.aliveAfterReplace);
  EXPECT_EQ(reentry.callAfterReplace, 0);  // refused meanwhile: the host called nothing
  EXPECT_TRUE(reentry.destroyed);          // and let the library go once the call returned
  EXPECT_FALSE(host.Accepted());
}

// The installed header and pkg-config file are enough to build a plug-in
// outside the source tree.
TEST(InstalledInterface, BuildsAPluginThatTheHostAccepts) {
  const char* build = std::getenv("TESSIL_BUILD_DIR");
  const char* source = std::getenv("TESSIL_SOURCE_DIR");
  ASSERT_TRUE(build && source);
  std::string prefix = testing::TempDir() + "tessil_install_XXXXXX";
  ASSERT_NE(mkdtemp(prefix.data()), nullptr);
  const std::string plugin = prefix + "/libminimal.so";
  const std::string install = std::string(TESSIL_CMAKE_COMMAND) + " --install '" + build +
                              "' --component plugin-dev --prefix '" + prefix + "' >/dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0) << install;
  EXPECT_TRUE(std::filesystem::exists(prefix + "/include/tessil/plugin.h"));
  const std::string compile = "export PKG_CONFIG_PATH='" + prefix + "/share/pkgconfig'; " +
                              TESSIL_C_COMPILER +
                              " -std=c11 -Wall -Wextra -Wno-unused-parameter -Werror -shared -fPIC"
                              " -fvisibility=hidden $(pkg-config --cflags tessil-plugin) '" +
                              source + "/tests/plugin/outside_plugin.c' -o '" + plugin + "'";
  ASSERT_EQ(std::system(compile.c_str()), 0) << compile;

  PluginHost host;
  EXPECT_TRUE(host.Load(plugin)) << host.LastError();
  EXPECT_EQ(host.IsHWPresent(), TESSIL_HW_ABSENT);
  host.Unload();
  std::filesystem::remove_all(prefix);
}

}  // namespace
}  // namespace tessil
