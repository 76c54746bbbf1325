// The application object and a private settings folder for the window tests.
#pragma once

#include <QTemporaryDir>

#include "app/main_window.h"
#include "app/tessil_application.h"

namespace tessil::testing {

TessilApplication& App();

// A store in a fresh temporary folder, never the user's own.
class TempStore {
 public:
  StoreFactory Factory() const;
  std::filesystem::path Path() const;

 private:
  QTemporaryDir dir_;
};

}  // namespace tessil::testing
