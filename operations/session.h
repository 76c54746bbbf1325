// Program-wide state, owned by the main window and shared by every command.
#pragma once

#include "images/memory_images.h"
#include "plugin/plugin_host.h"
#include "settings/settings.h"

#include <memory>

namespace tessil {

struct Session {
  explicit Session(LibraryOpener opener = {}) : plugin(std::move(opener)) {}

  PluginHost plugin;
  MemoryImages images;
  std::unique_ptr<Settings> settings;
  bool FullRead = false;
  bool SplashShown = false;
  // The polling pause memo: 1 when Timer2 was running when polling was paused.
  int pollMemo = 0;
  // Set once the close sequence has run; no command acts after that.
  bool closed = false;
};

}  // namespace tessil
