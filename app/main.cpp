// Tessil's entry: no arguments are read and the exit code is always 0.
#include "app/startup.h"
#include "app/tessil_application.h"

int main(int argc, char* argv[]) {
  // Failing to reach the display ends the program inside the framework; there
  // is no window yet to show an error in.
  tessil::TessilApplication app(argc, argv);
  return tessil::RunTessil(app);
}
