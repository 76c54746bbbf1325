#include "app/tessil_application.h"

#include <QMessageBox>
#include <QStyleFactory>
#include <exception>

#include "app/look.h"

namespace tessil {

TessilApplication::TessilApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("tessil");
  setApplicationVersion(TESSIL_VERSION);
  // The application title reaches the task bar through tessil.desktop, whose
  // name it is. setApplicationDisplayName would instead append it to every
  // window caption on X11, and the main window's caption is fixed.
  setDesktopFileName("tessil");
  // The layout is pixel-fixed; one style everywhere keeps it as drawn.
  setStyle(QStyleFactory::create("Fusion"));
  setWindowIcon(ApplicationIcon());
}

bool TessilApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowError(error.what());
  } catch (...) {
    ShowError("Unknown error");
  }
  return false;
}

void TessilApplication::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, kApplicationTitle, QString::fromStdString(text),
                  QMessageBox::Ok);
  if (errorBoxHook) {
    errorBoxHook(box);
  } else {
    box.exec();
  }
}

}  // namespace tessil
