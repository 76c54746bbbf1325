// The application object: the framework set up for Tessil, and the standard
// error display for errors that a handler lets escape into the message loop.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

class QMessageBox;

namespace tessil {

// Shown on the task bar (through the desktop entry) and as the caption of the
// error display.
inline constexpr char kApplicationTitle[] = "Tessil - Programmer for PIC18";

class TessilApplication : public QApplication {
  Q_OBJECT

 public:
  TessilApplication(int& argc, char** argv);

  // Delivers the event; an error escaping its handler is shown and the loop goes on.
  bool notify(QObject* receiver, QEvent* event) override;

  // The standard error display: a modal box with the stop icon, the
  // application title as caption and the error's text.
  void ShowError(const std::string& text);

  // Tests: given the prepared box instead of its being run.
  std::function<void(QMessageBox&)> errorBoxHook;
};

}  // namespace tessil
