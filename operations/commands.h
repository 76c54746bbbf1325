// Every handler of the main window, over the program-wide Session and the
// window's View. TMainWindow's slots are one-line calls into this class.
#pragma once

#include "operations/session.h"
#include "operations/view.h"

#include <memory>
#include <string>

namespace tessil {

class Commands {
 public:
  Commands(Session& session, View& view) : s_(session), v_(view) {}

  // Start-up, steps of the main window's construction around showing it.
  void CreateSettings(std::unique_ptr<Store> store);  // settings created, release check and seeding
  void AfterShown();                                  // plug-in re-load, then FullRead := true
  // The close sequence; afterwards no handler acts.
  void FormClose();
  bool Closed() const { return s_.closed; }

  // Plug-in loader.
  void LoadPlugin(const std::string& path);
  void SelectPICClick();

  // Polling and its guard.
  void PausePolling();
  void ResumePolling();
  void Timer2Timer();
  void AutotectPICClick();
  void AutorunPICClick();

  // Display of the images.
  void ScrollBar1Change();
  void RefreshChecksum(ImageKind kind);
  void RefreshChecksumAndId(ImageKind kind);
  void DisplayComboChange();
  void IDEditChange();

  // Device operations.
  void SB_loadClick();
  void SB_saveClick();
  void SB_downloadClick();
  void SB_uploadClick();
  void EraseClick();
  void configClick();
  void settingsClick();

  // Splash.
  void AboutClick();
  void Timer1Timer();

 private:
  Session& s_;
  View& v_;
};

}  // namespace tessil
