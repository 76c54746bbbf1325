// The program's start-up after the framework is set up: title, main window,
// splash window, message loop, with one handler for errors on the way.
#pragma once

#include "app/main_window.h"
#include "app/tessil_application.h"

namespace tessil {

// Runs the program in an application object that already exists; returns the
// exit code, always 0. An error while the windows are being created is shown
// by the application's error display and ends the program without entering
// the message loop.
int RunTessil(TessilApplication& app, MainWindowSetup setup = {});

}  // namespace tessil
