#include "app/splash_window.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "tests/app/app_environment.h"

namespace tessil {
namespace {

TEST(SplashWindow, BorderlessAndHiddenUntilShown) {
  TAboutWindow about;
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.size(), QSize(550, 298));
  EXPECT_EQ(about.minimumSize(), about.maximumSize());
  EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(about.windowTitle(), "AboutWindow");
  // Hiding or closing it never ends the program.
  EXPECT_FALSE(about.testAttribute(Qt::WA_QuitOnClose));
}

TEST(SplashWindow, ControlsAsLaidOut) {
  TAboutWindow about;
  struct Case {
    const char* name;
    const char* parent;
    QRect geometry;
  };
  const Case cases[] = {
      {"Button1", "AboutWindow", {0, 0, 549, 298}},
      {"Panel1", "AboutWindow", {1, 1, 546, 295}},
      {"Image1", "Panel1", {2, 1, 543, 292}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* widget = about.findChild<QWidget*>(c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName(), c.parent);
    EXPECT_EQ(widget->geometry(), c.geometry);
  }
  // Later controls lie over earlier ones: the panel hides the button but its edge.
  EXPECT_EQ(about.childAt(10, 10)->objectName(), "Image1");
  EXPECT_EQ(about.childAt(548, 200)->objectName(), "Button1");
  auto* image = about.findChild<QLabel*>("Image1");
  EXPECT_EQ(image->pixmap().size(), QSize(543, 292));

  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  EXPECT_EQ(about.focusWidget(), about.findChild<QPushButton*>("Button1"));
}

TEST(SplashWindow, LabelsStandWhiteOverThePicture) {
  TAboutWindow about;
  struct Case {
    const char* name;
    QRect geometry;
    const char* text;
    int pixels;
    bool italic;
  };
  const Case cases[] = {
      {"Label1", {8, 216, 217, 23}, "Tessil - Programmer for PIC18", 19, false},
      {"Label2", {8, 235, 77, 20}, "Release 2.02", 16, false},
      {"Label3", {8, 258, 187, 20}, "Flash programming for PIC18", 16, false},
      {"Label4", {8, 273, 185, 20}, "through any hardware plug-in", 16, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* label = about.findChild<QLabel*>(c.name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget()->objectName(), "Panel1");
    EXPECT_EQ(label->text(), c.text);
    EXPECT_EQ(label->pos(), c.geometry.topLeft());
    EXPECT_EQ(label->height(), c.geometry.height());
    EXPECT_GE(label->width(), c.geometry.width());
    EXPECT_GE(label->width(), label->sizeHint().width());  // no letter cut off
    const QFontInfo font(label->font());
    EXPECT_EQ(font.family(), "Liberation Sans Narrow");
    EXPECT_EQ(font.pixelSize(), c.pixels);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(font.italic(), c.italic);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_FALSE(label->autoFillBackground());
  }
}

TEST(SplashWindow, ClicksAndKeysDoNothing) {
  TAboutWindow about;
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  QTest::mouseClick(about.findChild<QWidget*>("Image1"), Qt::LeftButton);
  QTest::mouseClick(about.findChild<QWidget*>("Button1"), Qt::LeftButton, {}, QPoint(548, 200));
  QTest::keyClick(&about, Qt::Key_Space);
  QTest::keyClick(&about, Qt::Key_Return);
  QTest::keyClick(&about, Qt::Key_Escape);
  EXPECT_TRUE(about.isVisible());
}

}  // namespace
}  // namespace tessil
