// TAboutWindow: the borderless splash window with the program's picture, name
// and release. It is only shown and hidden; nothing on it reacts to the user.
#pragma once

#include <QWidget>

namespace tessil {

class TAboutWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TAboutWindow(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;  // centres the window on the screen
};

}  // namespace tessil
