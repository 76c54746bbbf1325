// The current-key object's operations, played as one script against each store, checking
// every result and the current key after every step.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "settings/file_store.h"
#include "settings/memory_store.h"
#include "settings/settings.h"
#include "tests/settings/temp_folder.h"

namespace tessil {
namespace {

enum class Op { kOpen, kCreate, kRead, kWriteText, kWriteInteger };

struct Step {
  Op op;
  std::string_view arg;     // key path or value name
  std::string_view text{};  // text to write, or the text a read must give
  std::int32_t number = 0;  // integer to write
  bool opens = true;        // what an open must return
  bool throws = false;      // the step must raise SettingsError
  const char* current{};    // the current key afterwards; nullptr: none
};

constexpr const char* kSoftware = "\\Software";
constexpr const char* kOddCase = "\\SOFTWARE\\tessil\\dll";

// clang-format off
const Step kScript[] = {
    // Nothing open yet: reads find nothing, writes have nowhere to go.
    {.op = Op::kRead, .arg = "release", .text = ""},
    {.op = Op::kWriteText, .arg = "release", .text = "x", .throws = true},
    {.op = Op::kWriteInteger, .arg = "DelayIO", .number = 1, .throws = true},
    {.op = Op::kOpen, .arg = keys::kTop, .opens = false},
    // Creating makes the parents too and leaves the current key alone.
    {.op = Op::kCreate, .arg = keys::kDll},
    {.op = Op::kOpen, .arg = kSoftware, .current = kSoftware},
    {.op = Op::kOpen, .arg = keys::kTop, .current = keys::kTop},
    {.op = Op::kCreate, .arg = keys::kMainWindow, .current = keys::kTop},
    {.op = Op::kOpen, .arg = keys::kDllSettings, .opens = false, .current = keys::kTop},
    // Values: missing reads "", names match in any case, writes replace.
    {.op = Op::kRead, .arg = "release", .text = "", .current = keys::kTop},
    {.op = Op::kWriteText, .arg = "release", .text = "Tessil v2.02", .current = keys::kTop},
    {.op = Op::kRead, .arg = "RELEASE", .text = "Tessil v2.02", .current = keys::kTop},
    {.op = Op::kWriteText, .arg = "Release", .text = "C:\\a \"b\"\\", .current = keys::kTop},
    {.op = Op::kRead, .arg = "release", .text = "C:\\a \"b\"\\", .current = keys::kTop},
    // A value of the other type cannot be read as text; writing text over it is fine.
    {.op = Op::kWriteInteger, .arg = "release", .number = -1, .current = keys::kTop},
    {.op = Op::kRead, .arg = "release", .throws = true, .current = keys::kTop},
    {.op = Op::kWriteText, .arg = "release", .text = "back", .current = keys::kTop},
    {.op = Op::kRead, .arg = "release", .text = "back", .current = keys::kTop},
    // Key paths match in any case; each key has values of its own.
    {.op = Op::kOpen, .arg = kOddCase, .current = kOddCase},
    {.op = Op::kRead, .arg = "release", .text = "", .current = kOddCase},
    {.op = Op::kWriteText, .arg = "filename", .text = "/p/libsim.so", .current = kOddCase},
    {.op = Op::kOpen, .arg = keys::kDll, .current = keys::kDll},
    {.op = Op::kRead, .arg = "Filename", .text = "/p/libsim.so", .current = keys::kDll},
    // What no store can hold is refused, and the value before stays.
    {.op = Op::kCreate, .arg = "Software\\Tessil", .throws = true, .current = keys::kDll},
    {.op = Op::kCreate, .arg = "\\Software\\\\Tessil", .throws = true, .current = keys::kDll},
    {.op = Op::kCreate, .arg = "\\Software\\", .throws = true, .current = keys::kDll},
    {.op = Op::kOpen, .arg = "", .opens = false, .current = keys::kDll},
    {.op = Op::kWriteText, .arg = "filename", .text = "two\nlines", .throws = true, .current = keys::kDll},
    {.op = Op::kWriteText, .arg = "file\rname", .text = "x", .throws = true, .current = keys::kDll},
    {.op = Op::kRead, .arg = "filename", .text = "/p/libsim.so", .current = keys::kDll},
};
// clang-format on

std::string Describe(const Step& s, std::size_t index) {
  return "step " + std::to_string(index) + ": " + std::string(s.arg);
}

void Play(Settings& settings, const Step& step) {
  switch (step.op) {
    case Op::kOpen:
      EXPECT_EQ(settings.OpenKey(step.arg), step.opens);
      break;
    case Op::kCreate:
      settings.CreateKey(step.arg);
      break;
    case Op::kRead:
      EXPECT_EQ(settings.ReadString(step.arg), step.text);
      break;
    case Op::kWriteText:
      settings.WriteString(step.arg, step.text);
      break;
    case Op::kWriteInteger:
      settings.WriteInteger(step.arg, step.number);
      break;
  }
}

struct StoreMaker {
  const char* name;
  std::function<std::unique_ptr<Store>(const std::filesystem::path& folder)> make;
};

void PrintTo(const StoreMaker& m, std::ostream* os) {
  *os << m.name;
}

class SettingsOperations : public ::testing::TestWithParam<StoreMaker> {
 protected:
  test::TempFolder folder_;
};

TEST_P(SettingsOperations, FollowTheCurrentKeyRules) {
  Settings settings(GetParam().make(folder_.path()));
  EXPECT_EQ(settings.CurrentKey(), std::nullopt);
  for (std::size_t i = 0; i < std::size(kScript); ++i) {
    const Step& step = kScript[i];
    SCOPED_TRACE(Describe(step, i));
    if (step.throws)
      EXPECT_THROW(Play(settings, step), SettingsError);
    else
      EXPECT_NO_THROW(Play(settings, step));
    if (step.current)
      EXPECT_EQ(settings.CurrentKey(), std::optional<std::string>(step.current));
    else
      EXPECT_EQ(settings.CurrentKey(), std::nullopt);
  }
  // A negative integer is kept as its 32-bit pattern.
  settings.WriteInteger("DelayIO", -2);
  EXPECT_EQ(settings.store().Read(keys::kDll, "delayio"), StoreValue(std::uint32_t{0xFFFFFFFE}));
}

TEST_P(SettingsOperations, WriteIntoAKeyDeletedSinceItWasOpenedIsAnError) {
  Settings settings(GetParam().make(folder_.path()));
  settings.CreateKey(keys::kDll);
  settings.CreateKey(keys::kMainWindow);
  ASSERT_TRUE(settings.OpenKey(keys::kDll));
  // Removing it the way a user editing the store would.
  if (auto* memory = dynamic_cast<MemoryStore*>(&settings.store())) {
    memory->tree().DeleteKey(keys::kDll);
  } else {
    const auto file = dynamic_cast<FileStore&>(settings.store()).file();
    std::string text = test::ReadBytes(file);
    const std::string section = "\n[HKEY_CURRENT_USER\\Software\\Tessil\\DLL]\n";
    text.erase(text.find(section), section.size() - 1);
    test::WriteBytes(file, text);
  }
  EXPECT_EQ(settings.ReadString("filename"), "");
  EXPECT_THROW(settings.WriteString("filename", "x"), SettingsError);
  EXPECT_FALSE(settings.store().KeyExists(keys::kDll));
  EXPECT_TRUE(settings.OpenKey(keys::kMainWindow));
}

INSTANTIATE_TEST_SUITE_P(
    Stores, SettingsOperations,
    ::testing::Values(StoreMaker{"Memory",
                                 [](const auto&) { return std::make_unique<MemoryStore>(); }},
                      StoreMaker{"File",
                                 [](const std::filesystem::path& folder) {
                                   return std::make_unique<FileStore>(folder / "registry.reg");
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Settings, NeedsAStore) {
  EXPECT_THROW(Settings(nullptr), SettingsError);
}

}  // namespace
}  // namespace tessil
