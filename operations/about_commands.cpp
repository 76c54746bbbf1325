// The splash sequence: About disables the window and pauses polling, the
// splash timer's first tick shows the splash, its second hides it again.
#include "operations/commands.h"

namespace tessil {

namespace {
constexpr int kSplashDelayMs = 100;
constexpr int kSplashShownMs = 5000;
}  // namespace

void Commands::AboutClick() {
  v_.SetEnabled(Control::MainWindow, false);
  PausePolling();
  v_.SetTimerEnabled(Timer::Splash, true);
}

void Commands::Timer1Timer() {
  if (!s_.SplashShown) {
    v_.SetTimerInterval(Timer::Splash, kSplashShownMs);
    v_.SetSplashVisible(true);
    s_.SplashShown = true;
    return;
  }
  v_.SetTimerEnabled(Timer::Splash, false);
  v_.SetTimerInterval(Timer::Splash, kSplashDelayMs);
  v_.SetSplashVisible(false);
  v_.SetEnabled(Control::MainWindow, true);
  s_.SplashShown = false;
  ResumePolling();
}

}  // namespace tessil
