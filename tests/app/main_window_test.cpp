#include "app/main_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <fstream>
#include <functional>
#include <vector>

#include "app/look.h"
#include "app/splash_window.h"
#include "tests/app/app_environment.h"

namespace tessil {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// What a handler saw of the window when an event ran it.
struct Call {
  Handler handler;
  int selector;
  bool idModified;
};

const std::vector<std::pair<Handler, const char*>>& HandlerNames() {
  static const std::vector<std::pair<Handler, const char*>> names{
      {&Commands::FormClose, "FormClose"},
      {&Commands::SelectPICClick, "SelectPICClick"},
      {&Commands::Timer2Timer, "Timer2Timer"},
      {&Commands::AutotectPICClick, "AutotectPICClick"},
      {&Commands::AutorunPICClick, "AutorunPICClick"},
      {&Commands::ScrollBar1Change, "ScrollBar1Change"},
      {&Commands::DisplayComboChange, "DisplayComboChange"},
      {&Commands::IDEditChange, "IDEditChange"},
      {&Commands::SB_loadClick, "SB_loadClick"},
      {&Commands::SB_saveClick, "SB_saveClick"},
      {&Commands::SB_downloadClick, "SB_downloadClick"},
      {&Commands::SB_uploadClick, "SB_uploadClick"},
      {&Commands::EraseClick, "EraseClick"},
      {&Commands::configClick, "configClick"},
      {&Commands::settingsClick, "settingsClick"},
      {&Commands::AboutClick, "AboutClick"},
      {&Commands::Timer1Timer, "Timer1Timer"},
  };
  return names;
}

std::string NameOf(Handler handler) {
  for (const auto& [known, name] : HandlerNames()) {
    if (known == handler) return name;
  }
  return "?";
}

// The window with every handler recorded instead of run.
class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest()
      : window({.store = store.Factory(),
                .hooks = {.handler = [this](Handler h) {
                  calls.push_back({h, window.SelectorIndex(), window.IsIdModified()});
                }}}) {}

  template <class W = QWidget>
  W* Find(const char* name) {
    W* widget = window.findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  std::vector<std::string> Handlers() const {
    std::vector<std::string> names;
    for (const Call& call : calls) names.push_back(NameOf(call.handler));
    return names;
  }

  QMenu* Menu() { return Find<QMenu>("PopupMenu1"); }
  QAction* Item(MenuItem item) { return Menu()->actions().at(static_cast<int>(item)); }

  // Lets a due timer tick, without waiting for real time to pass.
  void TickOnce(Timer timer) {
    auto* t = Find<QTimer>(timer == Timer::Splash ? "Timer1" : "Timer2");
    QObject::connect(t, &QTimer::timeout, t, &QTimer::stop, Qt::SingleShotConnection);
    window.SetTimerInterval(timer, 0);
    window.SetTimerEnabled(timer, true);
    for (int i = 0; i < 1000 && t->isActive(); ++i) QCoreApplication::processEvents();
  }

  testing::TempStore store;
  std::vector<Call> calls;
  TMainWindow window;
};

std::string TextOf(QWidget* widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
  if (auto* box = qobject_cast<QGroupBox*>(widget)) return box->title().toStdString();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText().toStdString();
  return "";
}

TEST_F(MainWindowTest, FrameIsFixedCentredAndCaptioned) {
  EXPECT_EQ(window.windowTitle(), "Tessil v2.02 - Programmer for PIC18");
  EXPECT_EQ(window.size(), QSize(776, 330));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.palette().color(QPalette::Window), kWindowColour);
  EXPECT_FALSE(window.windowIcon().isNull());
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((window.geometry().center() - centre).manhattanLength(), 1);
  EXPECT_FALSE(window.isHidden());
}

TEST_F(MainWindowTest, ControlsStartAsLaidOut) {
  struct Case {
    const char* name;
    const char* parent;
    QRect geometry;
    std::string text;
    bool enabled;
    bool visible;
    const char* hint;
  };
  const std::string zeros(16, '0');
  const Case cases[] = {
      {"FILE_Box", "MainWindow", {0, 0, 108, 104}, "FILE", true, true, ""},
      {"SB_load", "FILE_Box", {8, 14, 94, 38}, "   &Load    ", false, true, "Open an HEX file"},
      {"SB_save",
       "FILE_Box",
       {8, 58, 94, 38},
       "   &Save    ",
       false,
       true,
       "Save the display into HEX file"},
      {"PIC_Box", "MainWindow", {0, 108, 108, 104}, "PIC", true, true, ""},
      {"SB_download", "PIC_Box", {6, 14, 96, 38}, "  &Read   ", false, true, "Load data from PIC"},
      {"SB_upload", "PIC_Box", {6, 58, 96, 38}, "&Program", false, true, "Transfert data to PIC"},
      {"CurDisplay_Box", "MainWindow", {0, 218, 108, 46}, "Current Display", true, true, ""},
      {"DisplayCombo", "CurDisplay_Box", {6, 18, 96, 21}, "From file...", false, true, ""},
      {"SB_exit", "MainWindow", {6, 272, 96, 38}, "   &Exit    ", true, true, "Quit"},
      {"StringGrid1", "MainWindow", {112, 5, 535, 306}, "", true, true, ""},
      {"ScrollBar1", "MainWindow", {646, 6, 16, 303}, "", false, true, ""},
      {"Panel1", "MainWindow", {668, 6, 108, 270}, "", true, true, ""},
      {"Image1", "Panel1", {3, 3, 98, 260}, "", true, true, "Right click !"},
      {"Image2", "Panel1", {3, 3, 98, 260}, "", true, false, "Right click !"},
      {"IDEdit", "MainWindow", {670, 278, 105, 21}, zeros, true, true, ""},
      {"IDEdit_tmp", "MainWindow", {670, 278, 105, 21}, zeros, true, false, ""},
      {"Label1", "MainWindow", {670, 298, 53, 15}, "Checksum:", true, true, ""},
      {"ChecksumCaption", "MainWindow", {725, 298, 41, 15}, "0x0000", true, true, ""},
      {"StatusBar1", "MainWindow", {0, 311, 776, 19}, "", true, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget* widget = Find(c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName(), c.parent);
    if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
      // Labels keep their place and may only grow, so that no letter is cut off.
      EXPECT_EQ(widget->pos(), c.geometry.topLeft());
      EXPECT_EQ(widget->height(), c.geometry.height());
      EXPECT_GE(widget->width(), c.geometry.width());
      EXPECT_GE(widget->width(), label->sizeHint().width());
    } else {
      EXPECT_EQ(widget->geometry(), c.geometry);
    }
    EXPECT_EQ(TextOf(widget), c.text);
    EXPECT_EQ(widget->isEnabled(), c.enabled);
    EXPECT_EQ(widget->isVisibleTo(&window), c.visible);
    EXPECT_EQ(widget->toolTip(), c.hint);
  }
}

TEST_F(MainWindowTest, SpeedButtonsShowPictureBesideCaptionAndTakeNoFocus) {
  const std::pair<const char*, QKeySequence> buttons[] = {
      {"SB_load", QKeySequence(Qt::ALT | Qt::Key_L)},
      {"SB_save", QKeySequence(Qt::ALT | Qt::Key_S)},
      {"SB_download", QKeySequence(Qt::ALT | Qt::Key_R)},
      {"SB_upload", QKeySequence(Qt::ALT | Qt::Key_P)},
      {"SB_exit", QKeySequence(Qt::ALT | Qt::Key_E)},
  };
  for (const auto& [name, key] : buttons) {
    SCOPED_TRACE(name);
    auto* button = Find<QToolButton>(name);
    EXPECT_EQ(QKeySequence::mnemonic(button->text()), key);
    EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    EXPECT_EQ(button->iconSize(), QSize(32, 32));
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
  }
}

TEST_F(MainWindowTest, FontsStandInForTheWindowsFaces) {
  struct Case {
    const char* name;
    const char* family;
    int pixels;
    bool bold;
  };
  const Case cases[] = {
      {"FILE_Box", "Liberation Sans", 11, false},
      {"SB_load", "Liberation Sans", 11, false},
      {"DisplayCombo", "Liberation Sans", 11, false},
      {"IDEdit", "Liberation Sans", 11, false},
      {"IDEdit_tmp", "Liberation Sans", 11, false},
      {"Label1", "Liberation Serif", 12, false},
      {"ChecksumCaption", "Liberation Serif", 13, true},
      {"StringGrid1", "Liberation Mono", 13, false},
      {"Panel0", "Liberation Sans", 11, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget* widget = Find(c.name);
    ASSERT_NE(widget, nullptr);
    // QFontInfo reports the face actually found, so a missing font package shows here.
    const QFontInfo info(widget->font());
    EXPECT_EQ(info.family(), c.family);
    EXPECT_EQ(info.pixelSize(), c.pixels);
    EXPECT_EQ(info.bold(), c.bold);
  }
}

TEST_F(MainWindowTest, PopupMenuItemsInIndexOrder) {
  struct Case {
    MenuItem item;
    const char* name;
    const char* caption;
    bool enabled;
    bool checkable;
  };
  const Case cases[] = {
      {MenuItem::settings, "settings", "HW Settings", false, false},
      {MenuItem::config, "config", "Configuration bits", false, false},
      {MenuItem::SelectPIC, "SelectPIC", "Select Plug-in", true, false},
      {MenuItem::Erase, "Erase", "Bulk erase", false, false},
      {MenuItem::AutotectPIC, "AutotectPIC", "Autodetect PIC", false, true},
      {MenuItem::AutorunPIC, "AutorunPIC", "Autorun PIC", false, true},
      {MenuItem::About, "About", "About", true, false},
  };
  ASSERT_EQ(Menu()->actions().size(), std::size(cases));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QAction* action = Item(c.item);
    EXPECT_EQ(action->objectName(), c.name);
    EXPECT_EQ(action->text(), c.caption);
    EXPECT_EQ(action->isEnabled(), c.enabled);
    EXPECT_EQ(window.IsMenuEnabled(c.item), c.enabled);
    EXPECT_EQ(action->isCheckable(), c.checkable);
    EXPECT_FALSE(window.IsMenuChecked(c.item));
    EXPECT_TRUE(action->shortcut().isEmpty());
    EXPECT_EQ(action->menu(), nullptr);
  }
}

TEST_F(MainWindowTest, GridAtConstruction) {
  auto* grid = Find<QTableWidget>("StringGrid1");
  ASSERT_EQ(grid->columnCount(), 10);
  ASSERT_EQ(grid->rowCount(), 16);
  EXPECT_EQ(window.GridColCount(), 10);
  EXPECT_EQ(window.GridRowCount(), 16);
  // Each section holds its cell and the one-pixel grid line after it.
  const int widths[] = {67, 40, 40, 40, 40, 40, 40, 40, 40, 134};
  for (int column = 0; column < 10; ++column)
    EXPECT_EQ(grid->columnWidth(column), widths[column] + 1);
  EXPECT_EQ(grid->rowHeight(0), 16 + 1);
  for (int row = 1; row < 16; ++row) EXPECT_EQ(grid->rowHeight(row), 18 + 1);

  const char* headers[] = {"",    " W1", " W2", " W3", " W4",
                           " W5", " W6", " W7", " W8", "     ASCII"};
  for (int column = 0; column < 10; ++column)
    EXPECT_EQ(grid->item(0, column)->text(), headers[column]);
  const char* labels[] = {"0x00000", "0x00010", "0x00020", "0x00030", "0x00040",
                          "0x00050", "0x00060", "0x00070", "0x00080", "0x00090",
                          "0x000A0", "0x000B0", "0x000C0", "0x000D0", "0x000E0"};
  for (int row = 1; row < 16; ++row) {
    EXPECT_EQ(grid->item(row, 0)->text(), labels[row - 1]);
    for (int column = 1; column < 10; ++column)
      EXPECT_TRUE(grid->item(row, column)->text().isEmpty());
  }
  for (int row = 0; row < 16; ++row) {
    for (int column = 0; column < 10; ++column) {
      const bool fixed = row == 0 || column == 0;
      EXPECT_EQ(grid->item(row, column)->background().color(),
                fixed ? kWindowColour : QColor(Qt::white))
          << row << "," << column;
    }
  }
  EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  // The whole grid is in view: nothing lies beyond its own frame.
  EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width());
  EXPECT_LE(grid->verticalHeader()->length(), grid->viewport()->height());

  auto* scroll = Find<QScrollBar>("ScrollBar1");
  EXPECT_EQ(scroll->orientation(), Qt::Vertical);
  EXPECT_EQ(scroll->minimum(), 0);
  EXPECT_EQ(scroll->maximum(), 255);
  EXPECT_EQ(scroll->value(), 0);
  EXPECT_FALSE(scroll->isEnabled());
}

TEST_F(MainWindowTest, StatusPanelsFillTheBar) {
  struct Case {
    StatusPanel panel;
    int left;
    int width;
    Qt::Alignment alignment;
    const char* text;
  };
  const Case cases[] = {
      {StatusPanel::Plugin, 0, 112, Qt::AlignCenter, "Unknow PIC"},
      {StatusPanel::Activity, 112, 550, Qt::AlignLeft | Qt::AlignVCenter, ""},
      {StatusPanel::Hardware, 662, 776 - 662, Qt::AlignCenter, "Unknow hardware"},
  };
  for (const Case& c : cases) {
    const int index = static_cast<int>(c.panel);
    SCOPED_TRACE(index);
    auto* panel = Find<QLabel>(QStringLiteral("Panel%1").arg(index).toLatin1().constData());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->parentWidget()->objectName(), "StatusBar1");
    EXPECT_EQ(panel->geometry(), QRect(c.left, 0, c.width, 19));
    EXPECT_EQ(panel->alignment(), c.alignment);
    EXPECT_EQ(panel->text(), c.text);
    window.SetStatusText(c.panel, "DLL : libpic18sim.so");
    EXPECT_EQ(panel->text(), "DLL : libpic18sim.so");
  }
}

TEST_F(MainWindowTest, TimersStartAsSetUp) {
  auto* timer1 = Find<QTimer>("Timer1");
  auto* timer2 = Find<QTimer>("Timer2");
  ASSERT_NE(timer1, nullptr);
  ASSERT_NE(timer2, nullptr);
  EXPECT_FALSE(timer1->isActive());
  EXPECT_EQ(timer1->interval(), 100);
  EXPECT_TRUE(timer2->isActive());
  EXPECT_EQ(timer2->interval(), 500);
  EXPECT_FALSE(window.IsTimerEnabled(Timer::Splash));
  EXPECT_TRUE(window.IsTimerEnabled(Timer::Polling));

  window.SetTimerEnabled(Timer::Splash, true);
  window.SetTimerInterval(Timer::Splash, 5000);
  EXPECT_TRUE(timer1->isActive());
  EXPECT_EQ(timer1->interval(), 5000);
  window.SetTimerEnabled(Timer::Polling, false);
  EXPECT_FALSE(timer2->isActive());
}

TEST_F(MainWindowTest, TabMovesThroughTheEnabledFocusControlsInOrder) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  auto tabOrder = [&](QWidget* start) {
    std::vector<std::string> seen;
    start->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 5; ++i) {
      seen.push_back(QApplication::focusWidget()->objectName().toStdString());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return seen;
  };
  // At start the selector and the scroll bar are disabled.
  EXPECT_THAT(tabOrder(Find("IDEdit")),
              ElementsAre("IDEdit", "StringGrid1", "IDEdit", "StringGrid1", "IDEdit"));
  window.SetEnabled(Control::DisplayCombo, true);
  window.SetEnabled(Control::ScrollBar1, true);
  EXPECT_THAT(tabOrder(Find("DisplayCombo")),
              ElementsAre("DisplayCombo", "IDEdit", "StringGrid1", "ScrollBar1", "DisplayCombo"));
}

// A click as the window system delivers it: a right button press also brings
// the context menu request, which QTest's widget clicks leave out.
void Click(QWidget* widget, Qt::MouseButton button, QPoint at) {
  QTest::mouseClick(widget, button, {}, at);
  if (button == Qt::RightButton) {
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QCoreApplication::sendEvent(widget, &request);
  }
}

TEST_F(MainWindowTest, PopupOpensOnlyOnARightClickOnTheSocket) {
  window.SetVisible(Control::Image2, true);
  struct Case {
    const char* name;
    Qt::MouseButton button;
    bool opens;
  };
  const Case cases[] = {
      {"Image1", Qt::RightButton, true},      {"Image2", Qt::RightButton, true},
      {"Image1", Qt::LeftButton, false},      {"Panel1", Qt::RightButton, false},
      {"IDEdit", Qt::RightButton, false},     {"SB_exit", Qt::RightButton, false},
      {"Label1", Qt::RightButton, false},     {"StatusBar1", Qt::RightButton, false},
      {"MainWindow", Qt::RightButton, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.button == Qt::RightButton ? " right" : " left"));
    QWidget* widget = std::string(c.name) == "MainWindow" ? &window : Find(c.name);
    ASSERT_NE(widget, nullptr);
    window.SetVisible(Control::Image1, std::string(c.name) != "Image2");
    Click(widget, c.button, {5, 5});
    EXPECT_EQ(Menu()->isVisible(), c.opens);
    Menu()->hide();
  }
  auto* grid = Find<QTableWidget>("StringGrid1");
  Click(grid->viewport(), Qt::RightButton, {100, 100});
  EXPECT_FALSE(Menu()->isVisible());
  EXPECT_EQ(Find("Image1")->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(Find("Image2")->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(MainWindowTest, EventsRunTheirHandlers) {
  window.SetTimerEnabled(Timer::Polling, false);
  auto click = [this](const char* name) {
    auto* button = Find<QToolButton>(name);
    button->setEnabled(true);
    QTest::mouseClick(button, Qt::LeftButton);
  };
  auto pick = [this](MenuItem item) {
    window.SetMenuEnabled(item, true);
    Item(item)->trigger();
  };
  auto* scroll = Find<QScrollBar>("ScrollBar1");
  auto* idEdit = Find<QLineEdit>("IDEdit");
  struct Case {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> handlers;
  };
  const Case cases[] = {
      {"Load", [&] { click("SB_load"); }, {"SB_loadClick"}},
      {"Save", [&] { click("SB_save"); }, {"SB_saveClick"}},
      {"Read", [&] { click("SB_download"); }, {"SB_downloadClick"}},
      {"Program", [&] { click("SB_upload"); }, {"SB_uploadClick"}},
      {"HW Settings", [&] { pick(MenuItem::settings); }, {"settingsClick"}},
      {"Configuration bits", [&] { pick(MenuItem::config); }, {"configClick"}},
      {"Select Plug-in", [&] { pick(MenuItem::SelectPIC); }, {"SelectPICClick"}},
      {"Bulk erase", [&] { pick(MenuItem::Erase); }, {"EraseClick"}},
      {"Autodetect PIC", [&] { pick(MenuItem::AutotectPIC); }, {"AutotectPICClick"}},
      {"Autorun PIC", [&] { pick(MenuItem::AutorunPIC); }, {"AutorunPICClick"}},
      {"About", [&] { pick(MenuItem::About); }, {"AboutClick"}},
      {"splash tick", [&] { TickOnce(Timer::Splash); }, {"Timer1Timer"}},
      {"poll tick", [&] { TickOnce(Timer::Polling); }, {"Timer2Timer"}},
      {"user scrolls a step",
       [&] {
         window.SetEnabled(Control::ScrollBar1, true);
         scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
       },
       {"ScrollBar1Change"}},
      {"wheel over the grid",
       [&] {
         window.SetEnabled(Control::ScrollBar1, true);
         QWidget* viewport = Find<QTableWidget>("StringGrid1")->viewport();
         QWheelEvent wheel({50, 50}, viewport->mapToGlobal(QPoint(50, 50)), {}, {0, -120},
                           Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
         QCoreApplication::sendEvent(viewport, &wheel);
       },
       {"ScrollBar1Change"}},
      {"wheel over the grid, scroll bar disabled",
       [&] {
         window.SetEnabled(Control::ScrollBar1, false);
         QWidget* viewport = Find<QTableWidget>("StringGrid1")->viewport();
         QWheelEvent wheel({50, 50}, viewport->mapToGlobal(QPoint(50, 50)), {}, {0, -120},
                           Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
         QCoreApplication::sendEvent(viewport, &wheel);
       },
       {}},
      {"program moves the scroll bar", [&] { window.SetScrollPosition(7); }, {"ScrollBar1Change"}},
      {"program sets the same position",
       [&] { window.SetScrollPosition(window.ScrollPosition()); },
       {}},
      {"a maximum below the position clamps",
       [&] {
         window.SetScrollPosition(10);
         calls.clear();
         window.SetScrollMaximum(3);
       },
       {"ScrollBar1Change"}},
      {"a maximum above the position", [&] { window.SetScrollMaximum(100); }, {}},
      {"user edits the ID", [&] { QTest::keyClick(idEdit, Qt::Key_Backspace); }, {"IDEditChange"}},
      {"program sets the ID", [&] { window.SetIdText("0123456789ABCDEF"); }, {"IDEditChange"}},
      {"program sets an equal ID", [&] { window.SetIdText(window.IdText()); }, {}},
      {"program sets an equal kept ID", [&] { window.SetIdTmpText(window.IdTmpText()); }, {}},
      {"program sets the kept ID",
       [&] { window.SetIdTmpText("0123456789ABCDEF"); },
       {"IDEditChange"}},
      {"program selects a display", [&] { window.SetSelectorIndex(1); }, {}},
      {"user picks a display",
       [&] {
         window.SetEnabled(Control::DisplayCombo, true);
         QTest::keyClick(Find("DisplayCombo"), Qt::Key_Up);  // from "From PIC..."
       },
       {"DisplayComboChange"}},
      {"Exit", [&] { QTest::mouseClick(Find("SB_exit"), Qt::LeftButton); }, {"FormClose"}},
      {"closing the window", [&] { window.close(); }, {"FormClose"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    window.show();
    calls.clear();
    c.act();
    EXPECT_EQ(Handlers(), c.handlers);
  }
}

TEST_F(MainWindowTest, ExitClosesTheWindow) {
  QTest::mouseClick(Find("SB_exit"), Qt::LeftButton);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, CheckItemsAreLeftToTheirHandler) {
  for (MenuItem item : {MenuItem::AutotectPIC, MenuItem::AutorunPIC}) {
    window.SetMenuEnabled(item, true);
    Item(item)->trigger();
    EXPECT_FALSE(window.IsMenuChecked(item));
    window.SetMenuChecked(item, true);
    Item(item)->trigger();
    EXPECT_TRUE(window.IsMenuChecked(item));
  }
}

TEST_F(MainWindowTest, IdChangeTellsUserEditsFromProgramOnes) {
  auto* idEdit = Find<QLineEdit>("IDEdit");
  EXPECT_EQ(idEdit->maxLength(), 16);
  EXPECT_EQ(Find<QLineEdit>("IDEdit_tmp")->maxLength(), 16);
  idEdit->setFocus();
  idEdit->end(false);
  QTest::keyClick(idEdit, Qt::Key_Backspace);
  QTest::keyClick(idEdit, Qt::Key_A);
  QTest::keyClick(idEdit, Qt::Key_B);  // one past the limit: refused by the box
  EXPECT_EQ(window.IdText(), "000000000000000a");
  window.SetIdText("FFFFFFFFFFFFFFFF");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_TRUE(calls[0].idModified);
  EXPECT_TRUE(calls[1].idModified);
  EXPECT_FALSE(calls[2].idModified);
  EXPECT_FALSE(window.IsIdModified());
}

TEST_F(MainWindowTest, IdBoxShowsAWholeId) {
  auto* idEdit = Find<QLineEdit>("IDEdit");
  QStyleOptionFrame frame;
  frame.initFrom(idEdit);
  frame.lineWidth = 1;
  const int room =
      idEdit->style()->subElementRect(QStyle::SE_LineEditContents, &frame, idEdit).width() - 4;
  for (const char* id : {"0000000000000000", "0123456789ABCDEF"}) {
    EXPECT_LE(QFontMetrics(idEdit->font()).horizontalAdvance(id), room) << id;
  }
}

TEST_F(MainWindowTest, TypedSelectorTextSelectsOnlyAnExactEntry) {
  window.SetEnabled(Control::DisplayCombo, true);
  auto* combo = Find<QComboBox>("DisplayCombo");
  EXPECT_EQ(window.SelectorIndex(), -1);
  combo->lineEdit()->clear();
  QTest::keyClicks(combo->lineEdit(), "From PIC...");
  ASSERT_EQ(calls.size(), 11u);
  EXPECT_EQ(calls[9].selector, -1);
  EXPECT_EQ(calls[10].selector, 1);
  QTest::keyClick(combo->lineEdit(), Qt::Key_X);
  EXPECT_EQ(calls.back().selector, -1);
  EXPECT_EQ(combo->currentText(), "From PIC...x");  // the typed text stays
  QTest::keyClicks(combo->lineEdit(), "\b");
  EXPECT_EQ(calls.back().selector, 1);
  for (const Call& call : calls) EXPECT_EQ(NameOf(call.handler), "DisplayComboChange");
  // Lower case names no entry.
  combo->lineEdit()->clear();
  QTest::keyClicks(combo->lineEdit(), "from file...");
  EXPECT_EQ(window.SelectorIndex(), -1);
}

TEST_F(MainWindowTest, NoHandlerRunsOnceClosed) {
  window.session().closed = true;
  window.SetMenuEnabled(MenuItem::Erase, true);
  Item(MenuItem::Erase)->trigger();
  window.SetEnabled(Control::SB_load, true);
  QTest::mouseClick(Find("SB_load"), Qt::LeftButton);
  window.SetScrollPosition(3);
  window.SetIdText("1234");
  TickOnce(Timer::Polling);
  window.close();
  EXPECT_THAT(Handlers(), IsEmpty());
}

TEST_F(MainWindowTest, ControlStatesGoThroughTheView) {
  const Control controls[] = {Control::SB_load,   Control::SB_save,      Control::SB_download,
                              Control::SB_upload, Control::DisplayCombo, Control::ScrollBar1,
                              Control::Image1,    Control::Image2};
  for (Control control : controls) {
    window.SetEnabled(control, true);
    EXPECT_TRUE(window.IsEnabled(control));
    window.SetEnabled(control, false);
    EXPECT_FALSE(window.IsEnabled(control));
  }
  // Disabling the window takes its input away but leaves each control's own state.
  window.SetEnabled(Control::MainWindow, false);
  EXPECT_FALSE(window.isEnabled());
  EXPECT_FALSE(window.IsEnabled(Control::MainWindow));
  EXPECT_FALSE(Find("SB_exit")->isEnabled());
  window.SetEnabled(Control::SB_load, true);
  EXPECT_TRUE(window.IsEnabled(Control::SB_load));
  window.SetEnabled(Control::MainWindow, true);
  EXPECT_TRUE(Find("SB_exit")->isEnabled());
  EXPECT_TRUE(Find("SB_load")->isEnabled());

  window.SetVisible(Control::Image2, true);
  window.SetVisible(Control::Image1, false);
  EXPECT_TRUE(Find("Image2")->isVisible());
  EXPECT_FALSE(Find("Image1")->isVisible());

  window.SetGridCell(9, 15, "Hi!.");
  EXPECT_EQ(Find<QTableWidget>("StringGrid1")->item(15, 9)->text(), "Hi!.");
  window.SetChecksumText("0xBEEF");
  EXPECT_EQ(Find<QLabel>("ChecksumCaption")->text(), "0xBEEF");
  EXPECT_EQ(window.OwnerHandle(), static_cast<std::uintptr_t>(window.winId()));
  EXPECT_NE(window.OwnerHandle(), 0u);

  // The scroll range keeps its minimum of 0, even for a maximum below it.
  window.SetScrollPosition(5);
  window.SetScrollMaximum(-1);
  EXPECT_EQ(Find<QScrollBar>("ScrollBar1")->minimum(), 0);
  EXPECT_EQ(Find<QScrollBar>("ScrollBar1")->maximum(), 0);
  EXPECT_EQ(window.ScrollPosition(), 0);
}

TEST_F(MainWindowTest, MessageBoxesAreModalWithOneOkButton) {
  std::vector<std::tuple<QString, QString, QMessageBox::Icon>> shown;
  window.hooks.message = [&](QMessageBox& box) {
    EXPECT_EQ(box.parentWidget(), &window);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    EXPECT_TRUE(box.isModal());
    shown.emplace_back(box.windowTitle(), box.text(), box.icon());
  };
  window.ShowMessage("             DLL interface error !\n Download a newer version of the DLL.",
                     "DLL message ...", MessageIcon::Stop);
  window.ShowMessage("File not found", "Hex file error", MessageIcon::Exclamation);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], std::make_tuple(QString("DLL message ..."),
                                      QString("             DLL interface error !\n Download a "
                                              "newer version of the DLL."),
                                      QMessageBox::Critical));
  EXPECT_EQ(shown[1], std::make_tuple(QString("Hex file error"), QString("File not found"),
                                      QMessageBox::Warning));
}

// A dialog setup with only the given fields.
FileDialogSetup DialogSetup(std::optional<std::string> filter,
                            std::optional<std::string> fileName = {},
                            std::optional<std::string> title = {},
                            std::optional<std::string> defaultExtension = {}) {
  FileDialogSetup setup;
  setup.filter = std::move(filter);
  setup.fileName = std::move(fileName);
  setup.title = std::move(title);
  setup.defaultExtension = std::move(defaultExtension);
  return setup;
}

class FileDialogTest : public MainWindowTest {
 protected:
  struct Seen {
    QStringList filters;
    QString title;
    QString file;
    QString suffix;
    QFileDialog::AcceptMode mode;
  };

  FileDialogTest() {
    folder = store.Path().parent_path();
    std::ofstream(folder / "a.hex") << ":00000001FF\n";
    window.hooks.fileDialog = [this](QFileDialog& dialog) -> std::optional<std::string> {
      const QStringList files = dialog.selectedFiles();
      seen.push_back({dialog.nameFilters(), dialog.windowTitle(),
                      files.isEmpty() ? QString() : QFileInfo(files.first()).fileName(),
                      dialog.defaultSuffix(), dialog.acceptMode()});
      EXPECT_EQ(dialog.parentWidget(), &window);
      EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
      return answer;
    };
  }

  std::filesystem::path folder;
  std::optional<std::string> answer;
  std::vector<Seen> seen;
};

TEST_F(FileDialogTest, OpenDialogTakesItsSetupAndKeepsWhatIsNotGiven) {
  answer = (folder / "a.hex").string();
  EXPECT_EQ(window.RunOpenDialog(
                DialogSetup("*.hex|*.hex", (folder / "a.hex").string(), "Open a HEX file")),
            answer);
  EXPECT_EQ(window.RunOpenDialog(DialogSetup("*.so|*.so")), answer);
  answer.reset();
  EXPECT_EQ(window.RunOpenDialog(DialogSetup({})), std::nullopt);  // cancelled
  window.RunOpenDialog(DialogSetup({}, ""));  // an empty name clears the last one

  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].filters, QStringList{"*.hex (*.hex)"});
  EXPECT_EQ(seen[0].title, "Open a HEX file");
  EXPECT_EQ(seen[0].file, "a.hex");
  EXPECT_EQ(seen[0].mode, QFileDialog::AcceptOpen);
  EXPECT_EQ(seen[1].filters, QStringList{"*.so (*.so)"});
  EXPECT_EQ(seen[1].title, "Open a HEX file");
  EXPECT_EQ(seen[2].filters, QStringList{"*.so (*.so)"});
  EXPECT_EQ(seen[2].file, "a.hex");
  EXPECT_EQ(seen[3].file, "");
}

TEST_F(FileDialogTest, FiltersAndSaveSetup) {
  const std::pair<std::string, QStringList> filters[] = {
      {"*.hex|*.hex", {"*.hex (*.hex)"}},
      {"HEX files|*.hex;*.h86|All files|*", {"HEX files (*.hex *.h86)", "All files (*)"}},
      {"HEX files", {"HEX files (HEX files)"}},
  };
  for (const auto& [filter, expected] : filters) {
    window.RunSaveDialog(DialogSetup(filter));
    EXPECT_EQ(seen.back().filters, expected) << filter;
  }
  // The save dialog starts with the HEX filter of its own.
  EXPECT_EQ(seen.front().mode, QFileDialog::AcceptSave);
  window.RunSaveDialog(DialogSetup({}, {}, "", ".hex"));
  EXPECT_EQ(seen.back().suffix, "hex");
  EXPECT_EQ(seen.back().title, "Save As");
}

TEST_F(FileDialogTest, DialogsStartWithTheHexFilter) {
  window.RunOpenDialog(DialogSetup({}));
  window.RunSaveDialog(DialogSetup({}));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].filters, QStringList{"*.hex (*.hex)"});
  EXPECT_EQ(seen[1].filters, QStringList{"*.hex (*.hex)"});
}

TEST_F(MainWindowTest, SplashIsShownCentredAndHiddenAgain) {
  TAboutWindow about;
  window.SetSplashVisible(true);  // no splash window yet: nothing happens
  window.SetAboutWindow(&about);
  window.SetSplashVisible(true);
  EXPECT_TRUE(about.isVisible());
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((about.geometry().center() - centre).manhattanLength(), 1);
  window.SetSplashVisible(false);
  EXPECT_FALSE(about.isVisible());
  EXPECT_FALSE(window.isHidden());

  // Closing the main window during the splash takes the splash away with it.
  window.SetSplashVisible(true);
  window.close();
  EXPECT_FALSE(about.isVisible());
}

TEST(Artwork, EveryPictureDrawsSomething) {
  const std::pair<const char*, QSize> pictures[] = {
      {"tessil.svg", {32, 32}},        {"exit.svg", {32, 32}},         {"load.svg", {32, 32}},
      {"save.svg", {32, 32}},          {"download.svg", {32, 32}},     {"upload.svg", {32, 32}},
      {"socket_empty.svg", {98, 260}}, {"socket_chip.svg", {98, 260}}, {"splash.svg", {543, 292}},
  };
  for (const auto& [name, size] : pictures) {
    SCOPED_TRACE(name);
    const QImage image = Picture(name, size).toImage();
    EXPECT_EQ(image.size(), size);
    int painted = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) painted += qAlpha(image.pixel(x, y)) != 0;
    }
    EXPECT_GT(painted, image.width() * image.height() / 4);
  }
  EXPECT_TRUE(Picture("missing.svg", {32, 32}).toImage().pixel(0, 0) == 0u);
}

}  // namespace
}  // namespace tessil
