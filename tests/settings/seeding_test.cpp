// The release check at start: seed everything, in order, unless this release's marker is there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "settings/file_store.h"
#include "settings/memory_store.h"
#include "settings/settings.h"
#include "tests/settings/temp_folder.h"

namespace tessil {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::vector<std::string> kSeeding = {
    "create \\Software\\Tessil",
    "create \\Software\\Tessil\\MainWindow",
    "create \\Software\\Tessil\\DLL",
    "create \\Software\\Tessil\\DLL\\Settings",
    "write \\Software\\Tessil release=\"Tessil v2.02\"",
    "write \\Software\\Tessil author=\"Kerwen\"",
    "write \\Software\\Tessil\\MainWindow open=\"\"",
    "write \\Software\\Tessil\\MainWindow save=\"\"",
    "write \\Software\\Tessil\\DLL filename=\"\"",
    "write \\Software\\Tessil\\DLL autorun=\"NO\"",
    "write \\Software\\Tessil\\DLL\\Settings CLOCK_MASK=dword:00000002",
    "write \\Software\\Tessil\\DLL\\Settings DATA_FROM_PIC_MASK=dword:00000080",
    "write \\Software\\Tessil\\DLL\\Settings DATA_TO_PIC_MASK=dword:00000001",
    "write \\Software\\Tessil\\DLL\\Settings VPP_MASK=dword:00000004",
    "write \\Software\\Tessil\\DLL\\Settings VCC_MASK=dword:00000008",
    "write \\Software\\Tessil\\DLL\\Settings CLOCK_INV=dword:00000020",
    "write \\Software\\Tessil\\DLL\\Settings DATA_FROM_PIC_INV=dword:00000010",
    "write \\Software\\Tessil\\DLL\\Settings DATA_TO_PIC_INV=dword:00000020",
    "write \\Software\\Tessil\\DLL\\Settings VPP_INV=dword:00000010",
    "write \\Software\\Tessil\\DLL\\Settings VCC_INV=dword:00000010",
    "write \\Software\\Tessil\\DLL\\Settings DelayIO=dword:000000ff",
    "write \\Software\\Tessil\\DLL\\Settings DelayProg=dword:00000010",
    "write \\Software\\Tessil\\DLL\\Settings LPT_port_@=dword:00000378",
};

// Runs the check on a fresh Settings over `store` and hands the store back with its log.
struct Start {
  explicit Start(std::unique_ptr<MemoryStore> store) : settings(std::move(store)) {
    log().ClearChanges();
    CheckReleaseAndSeed(settings);
  }
  MemoryStore& log() { return static_cast<MemoryStore&>(settings.store()); }
  Settings settings;
};

std::unique_ptr<MemoryStore> Seeded() {
  Start first(std::make_unique<MemoryStore>());
  return std::make_unique<MemoryStore>(first.log());
}

TEST(SettingsReleaseCheck, FirstRunCreatesTheTreeAndWritesEveryDefaultInOrder) {
  Start run(std::make_unique<MemoryStore>());
  EXPECT_THAT(run.log().changes(), ElementsAreArray(kSeeding));
  EXPECT_EQ(run.settings.CurrentKey(), std::optional<std::string>(keys::kDllSettings));
  ASSERT_TRUE(run.settings.OpenKey(keys::kDll));
  EXPECT_EQ(run.settings.ReadString("filename"), "");
}

TEST(SettingsReleaseCheck, SecondRunOnlyReadsAndLeavesTheTopKeyCurrent) {
  Start second(Seeded());
  EXPECT_THAT(second.log().changes(), IsEmpty());
  EXPECT_EQ(second.settings.CurrentKey(), std::optional<std::string>(keys::kTop));
}

// A store left by another release, with every value changed by use since.
std::unique_ptr<MemoryStore> UsedStore(const std::optional<std::string>& release) {
  auto store = std::make_unique<MemoryStore>();
  KeyTree& tree = store->tree();
  tree.CreateKey(keys::kDllSettings);
  tree.CreateKey(keys::kMainWindow);
  if (release) tree.Write(keys::kTop, "release", *release);
  tree.Write(keys::kTop, "author", std::string("someone"));
  tree.Write(keys::kMainWindow, "open", std::string("/old/file.hex"));
  tree.Write(keys::kDll, "filename", std::string("/old/libplugin.so"));
  tree.Write(keys::kDll, "autorun", std::string("YES"));
  tree.Write(keys::kDllSettings, "CLOCK_MASK", std::uint32_t{99});
  return store;
}

class SettingsReseeding : public ::testing::TestWithParam<std::optional<std::string>> {};

TEST_P(SettingsReseeding, ResetsEveryValueToItsDefault) {
  Start run(UsedStore(GetParam()));
  EXPECT_THAT(run.log().changes(), ElementsAreArray(kSeeding));
  const KeyTree& tree = run.log().tree();
  EXPECT_EQ(tree.Read(keys::kTop, "release"), StoreValue(std::string(kReleaseMarker)));
  EXPECT_EQ(tree.Read(keys::kTop, "author"), StoreValue(std::string("Kerwen")));
  EXPECT_EQ(tree.Read(keys::kMainWindow, "open"), StoreValue(std::string()));
  EXPECT_EQ(tree.Read(keys::kDll, "filename"), StoreValue(std::string()));
  EXPECT_EQ(tree.Read(keys::kDll, "autorun"), StoreValue(std::string("NO")));
  EXPECT_EQ(tree.Read(keys::kDllSettings, "CLOCK_MASK"), StoreValue(std::uint32_t{2}));
}

// Only the exact bytes of this release's marker pass.
INSTANTIATE_TEST_SUITE_P(MarkerMismatch, SettingsReseeding,
                         ::testing::Values(std::nullopt, std::string("tessil v2.02"),
                                           std::string("TESSIL V2.02"),
                                           std::string("Tessil v2.02 "),
                                           std::string(" Tessil v2.02"),
                                           std::string("Tessil v2.01"), std::string("")));

TEST(SettingsReleaseCheck, ReleaseStoredAsAnIntegerIsAnErrorAndWritesNothing) {
  auto store = std::make_unique<MemoryStore>();
  store->tree().CreateKey(keys::kTop);
  store->tree().Write(keys::kTop, "release", std::uint32_t{202});
  Settings settings(std::move(store));
  EXPECT_THROW(CheckReleaseAndSeed(settings), SettingsError);
  EXPECT_THAT(static_cast<MemoryStore&>(settings.store()).changes(), IsEmpty());
}

TEST(SettingsReleaseCheck, MatchingMarkerRepairsNothingAndAMissingDllKeyLeavesTheTopCurrent) {
  auto store = Seeded();
  store->tree().DeleteKey(keys::kDll);
  Start run(std::move(store));
  EXPECT_THAT(run.log().changes(), IsEmpty());
  // What start does next: the plug-in's key cannot open, so filename is looked up under the
  // top key, where there is none.
  EXPECT_FALSE(run.settings.OpenKey(keys::kDll));
  EXPECT_EQ(run.settings.CurrentKey(), std::optional<std::string>(keys::kTop));
  EXPECT_EQ(run.settings.ReadString("filename"), "");
  EXPECT_FALSE(run.settings.store().KeyExists(keys::kDllSettings));
}

TEST(SettingsReleaseCheck, FileStoreSeedsTheDocumentedFileAndLeavesItUntouchedOnTheNextRun) {
  test::TempFolder folder;
  const auto file = folder.path() / "config" / "tessil" / "registry.reg";
  {
    Settings first(std::make_unique<FileStore>(file));
    CheckReleaseAndSeed(first);
  }
  const std::string seeded = test::ReadBytes(file);
  EXPECT_EQ(seeded, R"(REGEDIT4

[HKEY_CURRENT_USER\Software]

[HKEY_CURRENT_USER\Software\Tessil]
"release"="Tessil v2.02"
"author"="Kerwen"

[HKEY_CURRENT_USER\Software\Tessil\MainWindow]
"open"=""
"save"=""

[HKEY_CURRENT_USER\Software\Tessil\DLL]
"filename"=""
"autorun"="NO"

[HKEY_CURRENT_USER\Software\Tessil\DLL\Settings]
"CLOCK_MASK"=dword:00000002
"DATA_FROM_PIC_MASK"=dword:00000080
"DATA_TO_PIC_MASK"=dword:00000001
"VPP_MASK"=dword:00000004
"VCC_MASK"=dword:00000008
"CLOCK_INV"=dword:00000020
"DATA_FROM_PIC_INV"=dword:00000010
"DATA_TO_PIC_INV"=dword:00000020
"VPP_INV"=dword:00000010
"VCC_INV"=dword:00000010
"DelayIO"=dword:000000ff
"DelayProg"=dword:00000010
"LPT_port_@"=dword:00000378
)");
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);

  Settings second(std::make_unique<FileStore>(file));
  CheckReleaseAndSeed(second);
  EXPECT_EQ(second.CurrentKey(), std::optional<std::string>(keys::kTop));
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
  EXPECT_EQ(test::ReadBytes(file), seeded);
}

}  // namespace
}  // namespace tessil
