// The dialogs and the progress window, driven offscreen through the dialog hook.
#include "plugins/pic18sim/qt/qt_ui.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>

#include "plugins/pic18sim/core/simulator.h"
#include "tests/pic18sim/test_support.h"

namespace pic18sim {
namespace {

using ::testing::HasSubstr;

template <class W>
W* Child(QWidget* dialog, const char* name) {
  W* w = dialog->findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

void Press(QWidget* dialog, QDialogButtonBox::StandardButton which) {
  dialog->findChild<QDialogButtonBox*>()->button(which)->click();
}

void SelectItemStartingWith(QComboBox* combo, const QString& start) {
  for (int i = 0; i < combo->count(); ++i) {
    if (combo->itemText(i).startsWith(start)) return combo->setCurrentIndex(i);
  }
  ADD_FAILURE() << "no item " << start.toStdString();
}

class QtUiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_pic18sim_qt";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }
  void TearDown() override {
    qt::SetDialogHook({});
    qt::SetProgressDelay(std::chrono::milliseconds(300));
  }

  static ConfigForm FormFor(const char* part, bool named) {
    const Device& d = *FindDevice(part);
    ConfigForm form{&d, "Configuration bits", ErasedImage(d).config, {}};
    if (named) form.settings = LoadConfigSettings("/usr/share/gputils/header", d);
    return form;
  }

  static inline QApplication* app_ = nullptr;
  qt::QtUi ui;
};

// Runs first, before any test has made the QApplication.
TEST(QtUiWithoutApplication, DialogsDoNothingAndProgressNeverCancels) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  qt::QtUi ui;
  EXPECT_EQ(ui.EditSettings(0, SettingsForm{}), std::nullopt);
  const Device& d = DefaultDevice();
  EXPECT_EQ(ui.EditConfig(0, ConfigForm{&d, "", {}, {}}), std::nullopt);
  qt::SetProgressDelay(std::chrono::milliseconds(0));
  ui.BeginProgress("Reading", 2);
  EXPECT_TRUE(ui.Progress(1));
  ui.EndProgress();
  ui.ReportError("only on stderr");
}

TEST_F(QtUiTest, TheSettingsDialogReturnsWhatTheUserEntered) {
  qt::SetDialogHook([](QWidget* d) {
    ASSERT_EQ(d->objectName(), "pic18simSettings");
    EXPECT_EQ(Child<QLineEdit>(d, "DelayIO")->text(), "255");
    Child<QLineEdit>(d, "CLOCK_MASK")->setText("0x7");
    Child<QLineEdit>(d, "LPT_port_@")->setText(" 632 ");
    Child<QCheckBox>(d, "connected")->setChecked(false);
    Child<QComboBox>(d, "chipType")->setCurrentText("PIC18F4620");
    Child<QCheckBox>(d, "verifyFault")->setChecked(true);
    Child<QSpinBox>(d, "rowTime")->setValue(0);
    Press(d, QDialogButtonBox::Ok);
  });
  SettingsForm form = LoadSettings(tessil::MemoryStore{});
  std::optional<SettingsForm> edited = ui.EditSettings(0, form);
  ASSERT_TRUE(edited);
  form.hardware[0] = 7;
  form.hardware[12] = 632;
  form.switches = {false, true, "PIC18F4620", true, 0};
  EXPECT_EQ(*edited, form);
}

TEST_F(QtUiTest, AnInvalidValueIsNamedAndTheSettingsDialogStaysOpen) {
  QString warning;
  qt::SetDialogHook([&](QWidget* d) {
    if (auto* box = qobject_cast<QMessageBox*>(d)) {
      warning = box->text();
      return box->accept();
    }
    Child<QLineEdit>(d, "DelayIO")->setText("fast");
    Press(d, QDialogButtonBox::Ok);  // refused with a message; the dialog stays
    EXPECT_TRUE(d->isVisible());
    Child<QLineEdit>(d, "DelayIO")->setText("12");
    Press(d, QDialogButtonBox::Ok);
  });
  std::optional<SettingsForm> edited = ui.EditSettings(0, SettingsForm{});
  EXPECT_THAT(warning.toStdString(),
              HasSubstr("DelayIO: enter a whole number from 0 to 4294967295"));
  ASSERT_TRUE(edited);
  EXPECT_EQ(edited->hardware[10], 12u);
}

TEST_F(QtUiTest, CancelReturnsNothing) {
  qt::SetDialogHook([](QWidget* d) { Press(d, QDialogButtonBox::Cancel); });
  EXPECT_EQ(ui.EditSettings(0, SettingsForm{}), std::nullopt);
  EXPECT_EQ(ui.EditConfig(0, FormFor("PIC18F452", true)), std::nullopt);
}

TEST_F(QtUiTest, DialogsBelongToTheOwnersWindow) {
  QWidget owner;
  owner.show();
  QWidget* parent = nullptr;
  qt::SetDialogHook([&](QWidget* d) {
    parent = d->parentWidget();
    EXPECT_TRUE(d->isModal());
    Press(d, QDialogButtonBox::Cancel);
  });
  ui.EditSettings(static_cast<std::uintptr_t>(owner.winId()), SettingsForm{});
  EXPECT_EQ(parent, &owner);
  ui.EditConfig(12345, FormFor("PIC18F452", true));  // not a window of ours: no owner
  EXPECT_NE(parent, &owner);
}

TEST_F(QtUiTest, NamedConfigurationSettingsChangeOnlyTheirBits) {
  qt::SetDialogHook([](QWidget* d) {
    SelectItemStartingWith(Child<QComboBox>(d, "OSC"), "OSC = HS - ");
    SelectItemStartingWith(Child<QComboBox>(d, "WDT"), "WDT = OFF");
    Press(d, QDialogButtonBox::Ok);
  });
  ConfigForm form = FormFor("PIC18F452", true);
  std::optional<ConfigBytes> edited = ui.EditConfig(0, form);
  ASSERT_TRUE(edited);
  ConfigBytes expected = form.config;
  expected[1] = 0x22;  // FOSC = 010, OSCS still off
  expected[3] = 0x0E;  // WDTEN = 0, postscaler unchanged
  EXPECT_EQ(*edited, expected);
}

TEST_F(QtUiTest, AValueNoSettingNamesIsShownAndKept) {
  QString shown;
  qt::SetDialogHook([&](QWidget* d) {
    shown = Child<QComboBox>(d, "OSC")->currentText();
    Press(d, QDialogButtonBox::Ok);
  });
  ConfigForm form = FormFor("PIC18F4520", true);
  form.config[1] = 0x0F;  // FOSC = 1111 is not a listed oscillator
  EXPECT_EQ(ui.EditConfig(0, form), form.config);
  EXPECT_EQ(shown, "(0x0F: none of these)");
}

TEST_F(QtUiTest, WithoutTheHeaderTheBytesThemselvesAreEdited) {
  qt::SetDialogHook([](QWidget* d) {
    EXPECT_EQ(d->findChild<QLineEdit*>("CONFIG1L"), nullptr);  // no such register on this part
    Child<QLineEdit>(d, "CONFIG1H")->setText("22");
    Press(d, QDialogButtonBox::Ok);
  });
  ConfigForm form = FormFor("PIC18F452", false);
  std::optional<ConfigBytes> edited = ui.EditConfig(0, form);
  ASSERT_TRUE(edited);
  form.config[1] = 0x22;
  EXPECT_EQ(*edited, form.config);
}

TEST_F(QtUiTest, CancelInTheProgressWindowEndsTheOperationWith10) {
  test::TempDir dir;
  Simulator sim({dir / "chip.hex", nullptr, &ui});
  sim.SetRowTime(std::chrono::microseconds(0));
  qt::SetProgressDelay(std::chrono::milliseconds(0));
  int windows = 0;
  qt::SetDialogHook([&](QWidget* d) {
    ASSERT_EQ(d->objectName(), "pic18simProgress");
    EXPECT_TRUE(d->isModal());
    ++windows;
    Child<QPushButton>(d, "cancel")->click();
  });
  sim.InitHardware();
  sim.PowerOn();
  EXPECT_EQ(sim.ProgramMem(0), 10);
  EXPECT_EQ(sim.ReadMem(), 10);
  EXPECT_EQ(sim.DoBulkErase(0), 10);
  EXPECT_EQ(windows, 3);
  qt::SetDialogHook({});
  EXPECT_EQ(sim.ReadMem(), 3);  // not cancelled: it completes
}

}  // namespace
}  // namespace pic18sim
