// The simulator's dialogs in Qt Widgets. The plug-in runs inside the host's Qt process and uses
// its QApplication; in a process without one, every dialog does nothing and returns.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "plugins/pic18sim/core/ui.h"

class QWidget;

namespace pic18sim::qt {

// For tests and scripted runs: `hook` is called with every dialog, message box and progress
// window just after it is shown, inside its event loop, so it can fill fields and accept,
// reject or cancel. An empty hook leaves them to the user.
using DialogHook = std::function<void(QWidget* dialog)>;
void SetDialogHook(DialogHook hook);

// How long a device operation runs before its progress window appears (300 ms by default).
void SetProgressDelay(std::chrono::milliseconds delay);

class QtUi : public Ui {
 public:
  QtUi();
  ~QtUi() override;

  void BeginProgress(std::string_view title, std::uint32_t steps) override;
  bool Progress(std::uint32_t done) override;
  void EndProgress() override;
  std::optional<SettingsForm> EditSettings(std::uintptr_t owner, const SettingsForm& form) override;
  std::optional<ConfigBytes> EditConfig(std::uintptr_t owner, const ConfigForm& form) override;
  void ReportError(std::string_view text) override;

 private:
  struct ProgressState;
  std::unique_ptr<ProgressState> progress_;
};

}  // namespace pic18sim::qt
