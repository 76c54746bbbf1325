// The whole program over the simulated PIC18 programmer: the real window,
// offscreen, the real libpic18sim.so through the real loader, and the file
// dialogs and message boxes answered by the test.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <deque>
#include <functional>

#include "app/main_window.h"
#include "app/splash_window.h"
#include "operations/messages.h"
#include "settings/file_store.h"
#include "tests/app/app_environment.h"
#include "tests/pic18sim/test_support.h"

namespace tessil {
namespace {

namespace fs = std::filesystem;
using pic18sim::test::TempDir;

struct Shown {
  std::string caption, text;
  QMessageBox::Icon icon;
  bool operator==(const Shown&) const = default;
};

const Shown kProgrammed{text::kDllCaption, text::kProgrammed, QMessageBox::Warning};

fs::path PluginPath() {
  return fs::path(std::getenv("TESSIL_BUILD_DIR")) / "plugins" / "libpic18sim.so";
}

class Integration : public ::testing::Test {
 protected:
  TempDir dir;
  std::deque<std::optional<std::string>> answers;
  std::vector<Shown> messages;
  std::unique_ptr<TMainWindow> window;

  // The simulator's switches as the HW Settings dialog stores them, then the
  // window, with the simulator selected as its plug-in.
  void Start(std::uint32_t rowTimeUs = 0, bool verifyFault = false) {
    testing::App();
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    window = std::make_unique<TMainWindow>(MainWindowSetup{
        .hooks = {.message = [this](QMessageBox& box) {
                    messages.push_back({box.windowTitle().toStdString(),
                                        box.text().toStdString(), box.icon()});
                  },
                  .fileDialog = [this](QFileDialog&) {
                    auto answer = answers.front();
                    answers.pop_front();
                    return answer;
                  }}});
    FileStore store(DefaultStorePath());
    const char kSimulator[] = "\\Software\\Tessil\\DLL\\Simulator";
    store.CreateKey(kSimulator);
    store.Write(kSimulator, "RowTime", rowTimeUs);
    store.Write(kSimulator, "VerifyFault", std::uint32_t{verifyFault});

    answers.push_back(PluginPath().string());
    MenuItem(2)->trigger();  // Select Plug-in
    ASSERT_TRUE(messages.empty());
    ASSERT_EQ(Panel(0), "DLL : libpic18sim.so");
    // The first poll finds the programmer and the chip and offers Read.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Button("SB_download")->isEnabled(); }, 3000));
    EXPECT_EQ(Panel(2), "HW detected");
  }

  fs::path Assemble(const std::string& name, const std::string& config) {
    return pic18sim::test::Assemble(dir.path(), name, "18f452",
                                    pic18sim::test::SampleProgram("18f452", 32768, config));
  }

  QToolButton* Button(const char* name) { return window->findChild<QToolButton*>(name); }
  QAction* MenuItem(int index) {
    return window->findChild<QMenu*>("PopupMenu1")->actions().at(index);
  }
  std::string Panel(int index) {
    return window->findChild<QWidget*>("StatusBar1")
        ->findChild<QLabel*>(QString("Panel%1").arg(index))
        ->text()
        .toStdString();
  }
  std::string Cell(int column, int row) {
    return window->findChild<QTableWidget*>("StringGrid1")->item(row, column)->text().toStdString();
  }
  std::vector<std::string> Page() {
    std::vector<std::string> cells;
    for (int r = 1; r < 16; ++r) {
      for (int c = 0; c < 10; ++c) cells.push_back(Cell(c, r));
    }
    return cells;
  }
  std::string Text(const char* name) {
    if (auto* label = window->findChild<QLabel*>(name)) return label->text().toStdString();
    return window->findChild<QLineEdit*>(name)->text().toStdString();
  }
  void Load(const fs::path& file) {
    answers.push_back(file.string());
    Button("SB_load")->click();
  }
};

TEST_F(Integration, LoadProgramReadSaveAndErase) {
  Start();
  const fs::path hex = Assemble("sample", "    CONFIG OSC=HS, WDT=OFF, LVP=OFF\n");
  Load(hex);
  ASSERT_TRUE(messages.empty());
  const auto filePage = Page();
  const std::string checksum = Text("ChecksumCaption");
  EXPECT_EQ(Text("IDEdit"), "010203040506070F");
  EXPECT_EQ(Cell(0, 1), "0x00000");
  EXPECT_NE(checksum, "0x0000");

  Button("SB_upload")->click();
  EXPECT_EQ(messages, std::vector<Shown>{kProgrammed});
  EXPECT_EQ(Panel(1), text::kWriteComplete);

  // A full read gives back what was programmed.
  messages.clear();
  Button("SB_download")->click();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Panel(1), text::kReadComplete);
  EXPECT_EQ(Page(), filePage);
  EXPECT_EQ(Text("ChecksumCaption"), checksum);
  EXPECT_EQ(Text("IDEdit"), "010203040506070F");

  // The chip image saved as HEX holds the same data as the assembled file;
  // where gpasm left bytes out, the saved rows hold erased ones.
  const fs::path saved = dir / "saved.hex";
  answers.push_back(saved.string());
  Button("SB_save")->click();
  EXPECT_TRUE(messages.empty());
  const std::string fill = " -intel -fill 0xFF 0 0x8000 -fill 0xFF 0xF00000 0xF00100 ";
  const auto compare = pic18sim::test::Run("srec_cmp " + hex.string() + fill + saved.string() + fill);
  EXPECT_EQ(compare.exit_code, 0) << compare.output << pic18sim::test::ReadText(hex)
                                  << pic18sim::test::ReadText(saved);

  MenuItem(3)->trigger();  // Bulk erase
  EXPECT_EQ(messages, (std::vector<Shown>{{text::kDllCaption, text::kBlank, QMessageBox::Warning}}));
  EXPECT_EQ(Cell(1, 1), "FFFF");
  EXPECT_EQ(Panel(1), text::kReadComplete);
}

TEST_F(Integration, AProtectedChipReportsItselfLocked) {
  Start();
  Load(Assemble("locked", "    CONFIG OSC=HS, CPB=ON, CP0=ON, CP1=ON, CP2=ON, CP3=ON\n"));
  Button("SB_upload")->click();
  const Shown locked{text::kDllCaption, text::kLocked, QMessageBox::Warning};
  EXPECT_EQ(messages, (std::vector<Shown>{locked, kProgrammed}));

  messages.clear();
  Button("SB_download")->click();
  EXPECT_EQ(messages, std::vector<Shown>{locked});
  EXPECT_EQ(Cell(1, 1), "0000");  // protected memory reads as zeros
}

TEST_F(Integration, ACancelledReadChangesNothingButTheStatus) {
  Start(/*rowTimeUs=*/20000);
  Load(Assemble("sample", ""));
  const auto page = Page();
  const std::string checksum = Text("ChecksumCaption"), id = Text("IDEdit");

  // Cancel as soon as the simulator's progress window shows.
  QTimer cancel;
  QObject::connect(&cancel, &QTimer::timeout, [] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() == "pic18simProgress" && top->isVisible()) {
        if (auto* button = top->findChild<QAbstractButton*>("cancel")) button->click();
      }
    }
  });
  cancel.start(20);
  Button("SB_download")->click();
  cancel.stop();

  EXPECT_EQ(Panel(1), text::kAborted);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Page(), page);
  EXPECT_EQ(Text("ChecksumCaption"), checksum);
  EXPECT_EQ(Text("IDEdit"), id);
  EXPECT_EQ(window->findChild<QComboBox*>("DisplayCombo")->currentIndex(), 0);
  EXPECT_FALSE(window->session().images.ChipImage);
}

TEST_F(Integration, AFailedVerificationShowsWhatTheDeviceHolds) {
  Start(/*rowTimeUs=*/0, /*verifyFault=*/true);
  Load(Assemble("sample", ""));
  const std::string first = Cell(1, 1);
  Button("SB_upload")->click();
  EXPECT_EQ(messages, (std::vector<Shown>{
                          {text::kDllCaption, text::kVerifyFailed, QMessageBox::Critical}}));
  EXPECT_EQ(Panel(1), text::kWriteFailed);
  // The chip image is the device's: the word that did not take its value differs.
  const auto& images = window->session().images;
  ASSERT_TRUE(images.ChipImage && images.FileImage);
  EXPECT_EQ((*images.ChipImage)[0], (*images.FileImage)[0] ^ 1);
  EXPECT_NE(Cell(1, 1), first);
}

TEST_F(Integration, TheSplashShowsForFiveSecondsWithTheWindowDisabled) {
  Start();
  TAboutWindow about;
  window->SetAboutWindow(&about);
  auto* polling = window->findChild<QTimer*>("Timer2");
  ASSERT_TRUE(polling->isActive());
  MenuItem(6)->trigger();  // About
  EXPECT_FALSE(window->isEnabled());
  QWidget* splash = nullptr;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->objectName() == "AboutWindow" && top->isVisible()) splash = top;
    }
    return splash != nullptr;
  }, 1000));
  EXPECT_FALSE(window->isEnabled());
  QTest::qWait(4000);
  EXPECT_TRUE(splash->isVisible());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !splash->isVisible(); }, 1500));
  EXPECT_TRUE(window->isEnabled());
  EXPECT_TRUE(polling->isActive());
}

}  // namespace
}  // namespace tessil
