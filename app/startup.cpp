#include "app/startup.h"

#include <exception>

#include "app/splash_window.h"

namespace tessil {

int RunTessil(TessilApplication& app, MainWindowSetup setup) {
  try {
    TMainWindow window(std::move(setup));
    TAboutWindow about;
    window.SetAboutWindow(&about);
    QApplication::exec();
  } catch (const std::exception& error) {
    app.ShowError(error.what());
  }
  return 0;
}

}  // namespace tessil
