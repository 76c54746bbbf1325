#include "app/splash_window.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <array>

#include "app/look.h"

namespace tessil {

namespace {

constexpr QSize kClientSize{550, 298};

struct LabelSpec {
  const char* name;
  QRect geometry;
  const char* text;
  FontSpec font;
};

constexpr std::array<LabelSpec, 4> kLabels{{
    {"Label1", {8, 216, 217, 23}, "Tessil - Programmer for PIC18", {Face::Narrow, 19, true}},
    {"Label2", {8, 235, 77, 20}, "Release 2.02", {Face::Narrow, 16, true}},
    {"Label3", {8, 258, 187, 20}, "Flash programming for PIC18", {Face::Narrow, 16, true}},
    {"Label4", {8, 273, 185, 20}, "through any hardware plug-in", {Face::Narrow, 16, true, true}},
}};

}  // namespace

TAboutWindow::TAboutWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("AboutWindow");
  setWindowTitle("AboutWindow");
  setFixedSize(kClientSize);
  // Never the window that keeps the application running.
  setAttribute(Qt::WA_QuitOnClose, false);

  // Only its edge shows, as a frame around the panel; it holds the focus so
  // that keys go nowhere.
  auto* button = new QPushButton("Button1", this);
  button->setObjectName("Button1");
  button->setGeometry(0, 0, 549, 298);
  button->setFocus();

  auto* panel = new QFrame(this);
  panel->setObjectName("Panel1");
  panel->setGeometry(1, 1, 546, 295);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setAutoFillBackground(true);

  auto* image = new QLabel(panel);
  image->setObjectName("Image1");
  image->setGeometry(2, 1, 543, 292);
  image->setPixmap(Picture("splash.svg", {543, 292}));

  for (const LabelSpec& entry : kLabels) {
    auto* label = new QLabel(entry.text, panel);
    label->setObjectName(entry.name);
    label->setGeometry(entry.geometry);
    label->setFont(MakeFont(entry.font));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    FitWidth(*label);
  }
}

void TAboutWindow::showEvent(QShowEvent* event) {
  setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                  QGuiApplication::primaryScreen()->availableGeometry()));
  QWidget::showEvent(event);
}

}  // namespace tessil
