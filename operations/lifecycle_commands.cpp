// Start-up and close of the main window.
#include "operations/commands.h"

namespace tessil {

void Commands::CreateSettings(std::unique_ptr<Store> store) {
  s_.settings = std::make_unique<Settings>(std::move(store));
  CheckReleaseAndSeed(*s_.settings);
}

void Commands::AfterShown() {
  s_.settings->OpenKey(keys::kDll);
  const std::string path = s_.settings->ReadString("filename");
  if (!path.empty()) LoadPlugin(path);
  s_.FullRead = true;
}

void Commands::FormClose() {
  if (s_.closed) return;
  PausePolling();
  v_.SetTimerEnabled(Timer::Splash, false);
  v_.SetTimerEnabled(Timer::Polling, false);
  if (s_.plugin.Accepted()) {
    s_.plugin.InitHardware();
    s_.plugin.Unload();
  }
  s_.images.Release();
  s_.settings.reset();
  // Anything still queued (a click that arrived just before the close) finds
  // the commands closed and does nothing.
  s_.closed = true;
}

}  // namespace tessil
