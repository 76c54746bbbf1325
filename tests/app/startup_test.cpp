#include "app/startup.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

#include "app/splash_window.h"
#include "settings/settings.h"
#include "tests/app/app_environment.h"

namespace tessil {
namespace {

struct Shown {
  QString caption;
  QString text;
  QMessageBox::Icon icon;
};

// Records the error display's boxes for the length of a test.
class ErrorDisplay {
 public:
  ErrorDisplay() {
    testing::App().errorBoxHook = [this](QMessageBox& box) {
      shown.push_back({box.windowTitle(), box.text(), box.icon()});
    };
  }
  ~ErrorDisplay() { testing::App().errorBoxHook = nullptr; }
  std::vector<Shown> shown;
};

template <class W>
W* FindTopLevel(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == name) return qobject_cast<W*>(widget);
  }
  return nullptr;
}

TEST(Startup, RunsTheLoopUntilTheWindowClosesAndReturnsZero) {
  ErrorDisplay errors;
  testing::TempStore store;
  std::vector<Handler> handlers;
  bool shown = false;
  bool splashHidden = false;
  // Runs inside the loop: the windows exist, then the user presses Exit.
  QTimer user;
  user.setSingleShot(true);
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* window = FindTopLevel<TMainWindow>("MainWindow");
    auto* about = FindTopLevel<TAboutWindow>("AboutWindow");
    ASSERT_NE(window, nullptr);
    ASSERT_NE(about, nullptr);
    shown = window->isVisible();
    splashHidden = !about->isVisible();
    window->findChild<QToolButton*>("SB_exit")->click();
  });
  user.start(0);
  const int code = RunTessil(
      testing::App(),
      {.store = store.Factory(), .hooks = {.handler = [&](Handler h) { handlers.push_back(h); }}});
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(splashHidden);
  EXPECT_EQ(handlers, std::vector<Handler>{&Commands::FormClose});
  EXPECT_TRUE(errors.shown.empty());
  EXPECT_EQ(FindTopLevel<QWidget>("MainWindow"), nullptr);  // both windows are gone
  EXPECT_EQ(FindTopLevel<QWidget>("AboutWindow"), nullptr);
}

TEST(Startup, AStoreErrorIsShownAndEndsTheProgramBeforeTheLoop) {
  ErrorDisplay errors;
  bool loopRan = false;
  QTimer probe;
  probe.setSingleShot(true);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    loopRan = true;
    QApplication::quit();
  });
  probe.start(0);
  const int code = RunTessil(testing::App(), {.store = []() -> std::unique_ptr<Store> {
                               throw SettingsError("registry.reg, line 3: bad value");
                             }});
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(loopRan);
  ASSERT_EQ(errors.shown.size(), 1u);
  EXPECT_EQ(errors.shown[0].caption, "Tessil - Programmer for PIC18");
  EXPECT_EQ(errors.shown[0].text, "registry.reg, line 3: bad value");
  EXPECT_EQ(errors.shown[0].icon, QMessageBox::Critical);
  EXPECT_EQ(FindTopLevel<QWidget>("MainWindow"), nullptr);
}

// An object whose handler fails, as a command may when the store cannot be written.
class Failing : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("cannot write registry.reg");
    if (e->type() == QEvent::User + 1) ++delivered;
    return QObject::event(e);
  }
  int delivered = 0;
};

TEST(ErrorDisplay, AHandlerErrorIsShownAndTheLoopGoesOn) {
  ErrorDisplay errors;
  Failing failing;
  QEvent fail(QEvent::User);
  QEvent next(static_cast<QEvent::Type>(QEvent::User + 1));
  EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &fail));
  EXPECT_TRUE(QCoreApplication::sendEvent(&failing, &next));
  EXPECT_EQ(failing.delivered, 1);
  ASSERT_EQ(errors.shown.size(), 1u);
  EXPECT_EQ(errors.shown[0].caption, "Tessil - Programmer for PIC18");
  EXPECT_EQ(errors.shown[0].text, "cannot write registry.reg");
  EXPECT_EQ(errors.shown[0].icon, QMessageBox::Critical);
}

}  // namespace
}  // namespace tessil
