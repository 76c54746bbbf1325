// The REGEDIT4 file: what it accepts from a hand-edited or Windows-made file, what it writes,
// and that a file it cannot understand is reported and left alone.
#include "settings/file_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/settings/temp_folder.h"

namespace tessil {
namespace {

namespace fs = std::filesystem;

class SettingsFileStore : public ::testing::Test {
 protected:
  test::TempFolder folder_;
  fs::path file_ = folder_.path() / "registry.reg";
};

TEST_F(SettingsFileStore, ReadsAHandEditedFileAndKeepsTheSpellingFirstWritten) {
  // Windows line ends, upper-case hex, a comment, odd spacing, a default value, a key given
  // twice and a key whose parent has no section of its own.
  test::WriteBytes(file_,
                   "REGEDIT4\r\n\r\n"
                   "; kept by hand\r\n"
                   "[hkey_current_user\\SOFTWARE\\Tessil]  \r\n"
                   "\"Release\"=\"Tessil v2.02\"\r\n"
                   "@=\"default\"\r\n"
                   "  \"Path\"=\"C:\\\\Program Files\\\\\\\"x\\\".hex\"\r\n"
                   "[HKEY_CURRENT_USER\\Other\\Deep]\r\n"
                   "\"n\"=DWORD:0000000A\r\n"
                   "[HKEY_CURRENT_USER\\software\\TESSIL]\r\n"
                   "\"release\"=\"second wins\"\r\n");
  FileStore store(file_);
  EXPECT_TRUE(store.KeyExists("\\Software\\Tessil"));
  EXPECT_TRUE(store.KeyExists("\\other\\deep"));
  EXPECT_FALSE(store.KeyExists("\\Other")) << "a key exists only through its own section";
  EXPECT_EQ(store.Read("\\software\\tessil", "RELEASE"), StoreValue(std::string("second wins")));
  EXPECT_EQ(store.Read("\\Software\\Tessil", ""), StoreValue(std::string("default")));
  EXPECT_EQ(store.Read("\\Software\\Tessil", "path"),
            StoreValue(std::string("C:\\Program Files\\\"x\".hex")));
  EXPECT_EQ(store.Read("\\Other\\Deep", "N"), StoreValue(std::uint32_t{10}));

  store.Write("\\software\\tessil", "release", std::string("Tessil v2.02"));
  store.Write("\\Other\\Deep", "Big", std::uint32_t{0xABCDEF01});
  store.CreateKey("\\Software\\Tessil\\DLL");
  EXPECT_EQ(test::ReadBytes(file_),
            "REGEDIT4\n"
            "\n[HKEY_CURRENT_USER\\SOFTWARE\\Tessil]\n"
            "\"Release\"=\"Tessil v2.02\"\n"
            "@=\"default\"\n"
            "\"Path\"=\"C:\\\\Program Files\\\\\\\"x\\\".hex\"\n"
            "\n[HKEY_CURRENT_USER\\Other\\Deep]\n"
            "\"n\"=dword:0000000a\n"
            "\"Big\"=dword:abcdef01\n"
            "\n[HKEY_CURRENT_USER\\Software]\n"
            "\n[HKEY_CURRENT_USER\\SOFTWARE\\Tessil\\DLL]\n");
}

struct Malformed {
  const char* what;
  std::string text;
  int line;
};

void PrintTo(const Malformed& m, std::ostream* os) {
  *os << m.what;
}

class SettingsMalformedFile : public SettingsFileStore,
                              public ::testing::WithParamInterface<Malformed> {};

TEST_P(SettingsMalformedFile, IsReportedWithPathAndLineAndNeverWrittenOver) {
  test::WriteBytes(file_, GetParam().text);
  FileStore store(file_);
  const std::string where = file_.string() + " at line " + std::to_string(GetParam().line) + ":";
  try {
    store.Read("\\Software\\Tessil", "release");
    ADD_FAILURE() << "no error";
  } catch (const SettingsError& e) {
    EXPECT_NE(std::string(e.what()).find(where), std::string::npos) << e.what();
  }
  EXPECT_THROW(store.CreateKey("\\Software\\Tessil"), SettingsError);
  EXPECT_THROW(store.Write("\\Software\\Tessil", "release", std::string("x")), SettingsError);
  EXPECT_EQ(test::ReadBytes(file_), GetParam().text);
  EXPECT_FALSE(fs::exists(fs::path(file_) += ".tmp"));
}

const std::string kHead = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessil]\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsMalformedFile,
    ::testing::Values(
        Malformed{"NoHeader", "[HKEY_CURRENT_USER\\Software\\Tessil]\n", 1},
        Malformed{"UnicodeHeader", "Windows Registry Editor Version 5.00\n", 1},
        Malformed{"ValueBeforeKey", "REGEDIT4\n\n\"release\"=\"x\"\n", 3},
        Malformed{"OpenKeyLine", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\n", 3},
        Malformed{"OtherHive", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n", 3},
        Malformed{"RootItself", "REGEDIT4\n\n[HKEY_CURRENT_USER]\n", 3},
        Malformed{"EmptyKeyPart", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\\\Tessil]\n", 3},
        Malformed{"UnclosedText", kHead + "\"a\"=\"b\n", 4},
        Malformed{"UnclosedName", kHead + "\"a=\"b\"\n", 4},
        Malformed{"UnknownEscape", kHead + "\"a\"=\"C:\\temp\"\n", 4},
        Malformed{"TextAfterValue", kHead + "\"a\"=\"b\"c\n", 4},
        Malformed{"NoEquals", kHead + "\"a\" \"b\"\n", 4},
        Malformed{"ShortDword", kHead + "\"a\"=dword:0000000\n", 4},
        Malformed{"LongDword", kHead + "\"a\"=dword:000000001\n", 4},
        Malformed{"NonHexDword", kHead + "\"a\"=dword:0000000g\n", 4},
        Malformed{"BinaryValue", kHead + "\"a\"=hex:01,02\n", 4},
        Malformed{"DeleteValue", kHead + "\"a\"=-\n", 4},
        Malformed{"NulInText", kHead + "\"a\"=\"b" + std::string(1, '\0') + "\"\n", 4},
        Malformed{"StrayText", kHead + "\n\nrelease=x\n", 6}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SettingsFileStore, MissingOrEmptyFileIsAnEmptyStoreAndTheFirstWriteMakesTheFolder) {
  const fs::path nested = folder_.path() / "a" / "b" / "registry.reg";
  FileStore store(nested);
  EXPECT_FALSE(store.KeyExists("\\Software"));
  EXPECT_EQ(store.Read("\\Software", "x"), std::nullopt);
  EXPECT_THROW(store.Write("\\Software", "x", std::string("y")), SettingsError);
  EXPECT_FALSE(fs::exists(nested));

  store.CreateKey("\\Software");
  EXPECT_TRUE(FileStore(nested).KeyExists("\\Software"));

  test::WriteBytes(file_, "");
  EXPECT_FALSE(FileStore(file_).KeyExists("\\Software"));
  FileStore(file_).CreateKey("\\Software");
  EXPECT_EQ(test::ReadBytes(file_), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n");
}

TEST_F(SettingsFileStore, UnreadableFileNamesItsPath) {
  fs::create_directory(file_);
  try {
    FileStore(file_).KeyExists("\\Software");
    ADD_FAILURE() << "no error";
  } catch (const SettingsError& e) {
    EXPECT_NE(std::string(e.what()).find(file_.string()), std::string::npos) << e.what();
  }
}

TEST_F(SettingsFileStore, WritingThroughALinkUpdatesItsTargetAndKeepsTheLink) {
  const fs::path target = folder_.path() / "dotfiles" / "tessil.reg";
  fs::create_directory(target.parent_path());
  test::WriteBytes(target, "REGEDIT4\n");
  fs::create_symlink(target, file_);
  FileStore(file_).CreateKey("\\Software");
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(test::ReadBytes(target), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n");
}

TEST_F(SettingsFileStore, RefusedTextLeavesNoTrace) {
  FileStore store(file_);
  EXPECT_THROW(store.CreateKey("Software"), SettingsError);
  EXPECT_FALSE(fs::exists(file_));
  store.CreateKey("\\Software");
  const std::string before = test::ReadBytes(file_);
  EXPECT_THROW(store.Write("\\Software", "a", std::string("line\nbreak")), SettingsError);
  EXPECT_THROW(store.Write("\\Software", "a\nb", std::uint32_t{1}), SettingsError);
  EXPECT_EQ(test::ReadBytes(file_), before);
}

// Sets or clears an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SettingsDefaultStorePath, FollowsXdgConfigHomeElseHomeConfig) {
  struct Case {
    const char* config;
    const char* expected;
  } const cases[] = {
      {"/xdg", "/xdg/tessil/registry.reg"},
      {nullptr, "/home/u/.config/tessil/registry.reg"},
      {"", "/home/u/.config/tessil/registry.reg"},
      {"relative/config", "/home/u/.config/tessil/registry.reg"},
  };
  ScopedEnv home("HOME", "/home/u");
  for (const Case& c : cases) {
    ScopedEnv config("XDG_CONFIG_HOME", c.config);
    EXPECT_EQ(DefaultStorePath(), fs::path(c.expected)) << (c.config ? c.config : "(unset)");
  }
}

}  // namespace
}  // namespace tessil
