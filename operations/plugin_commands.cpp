// The plug-in loader, the polling timer and its guard, and the two mode toggles.
#include "operations/commands.h"
#include "operations/messages.h"

namespace tessil {

namespace {

// The file's name for status panel 0: the text after the last separator of
// either platform, since a stored path may have come from Windows.
std::string PluginName(const std::string& path) {
  return path.substr(path.find_last_of("/\\") + 1);
}

}  // namespace

void Commands::LoadPlugin(const std::string& path) {
  v_.SetStatusText(StatusPanel::Plugin, "DLL : " + PluginName(path));
  // The host unloads the previous plug-in without calling it, and unloads a
  // refused one again, so afterwards no call can reach a library that is gone.
  if (s_.plugin.Load(path)) {
    s_.plugin.ShowDLL(v_.OwnerHandle());
    v_.SetEnabled(Control::SB_load, true);
    v_.SetMenuEnabled(MenuItem::AutotectPIC, true);
    v_.SetMenuChecked(MenuItem::AutotectPIC, true);
    s_.plugin.InitHardware();
    v_.SetMenuEnabled(MenuItem::settings, true);
  } else {
    v_.SetMenuEnabled(MenuItem::settings, false);
    v_.SetEnabled(Control::SB_load, false);
    v_.SetMenuEnabled(MenuItem::AutotectPIC, false);
    v_.SetMenuChecked(MenuItem::AutotectPIC, false);
    v_.ShowMessage(text::kInterfaceError, text::kDllCaption, MessageIcon::Stop);
  }
}

void Commands::SelectPICClick() {
  // The key is opened before the dialog, so it is current even when the user
  // cancels; a store without it reads and writes the key current before.
  s_.settings->OpenKey(keys::kDll);
  const auto chosen = v_.RunOpenDialog(
      {.filter = "*.so|*.so", .fileName = s_.settings->ReadString("filename")});
  if (!chosen) return;
  LoadPlugin(*chosen);
  // Stored refused or not, so the next start tries the same file again.
  s_.settings->WriteString("filename", *chosen);
}

void Commands::PausePolling() {
  if (v_.IsTimerEnabled(Timer::Polling)) s_.pollMemo = 1;
  v_.SetTimerEnabled(Timer::Polling, false);
}

void Commands::ResumePolling() {
  if (s_.pollMemo == 1) v_.SetTimerEnabled(Timer::Polling, true);
  s_.pollMemo = 0;
}

void Commands::Timer2Timer() {
  // With no plug-in accepted there is nobody to ask: the host would answer 0,
  // which reads as "hardware present", so the poll stops here instead.
  if (!v_.IsMenuChecked(MenuItem::AutotectPIC) || !s_.plugin.Accepted()) return;

  s_.plugin.InitHardware();
  bool hardware = s_.plugin.IsHWPresent() != TESSIL_HW_ABSENT;
  v_.SetStatusText(StatusPanel::Hardware, hardware ? "HW detected" : "HW not detected");

  std::uint8_t revision[TESSIL_REVDEV_SIZE] = {};  // the plug-in's to fill; never read
  s_.plugin.InitHardware();
  s_.plugin.PowerOn();
  bool device = s_.plugin.ReadRevDev(revision) == TESSIL_DEVICE_FOUND;
  s_.plugin.PowerOff();

  v_.SetVisible(device ? Control::Image2 : Control::Image1, true);
  v_.SetVisible(device ? Control::Image1 : Control::Image2, false);
  if (device) {
    if (s_.images.AnyPresent()) v_.SetEnabled(Control::SB_upload, true);
    v_.SetEnabled(Control::SB_download, true);
  } else {
    v_.SetEnabled(Control::SB_download, false);
    v_.SetEnabled(Control::SB_upload, false);
  }
  for (MenuItem item : {MenuItem::Erase, MenuItem::AutotectPIC, MenuItem::AutorunPIC}) {
    v_.SetMenuEnabled(item, device);
  }
}

void Commands::AutotectPICClick() {
  if (!v_.IsMenuChecked(MenuItem::AutotectPIC)) {
    v_.SetTimerEnabled(Timer::Polling, true);
    v_.SetMenuChecked(MenuItem::AutotectPIC, true);
    v_.SetMenuEnabled(MenuItem::AutorunPIC, false);
    return;
  }
  // Manual mode: the device commands are offered whatever the last poll found.
  v_.SetTimerEnabled(Timer::Polling, false);
  v_.SetMenuChecked(MenuItem::AutotectPIC, false);
  v_.SetMenuEnabled(MenuItem::AutorunPIC, true);
  v_.SetMenuEnabled(MenuItem::Erase, true);
  v_.SetEnabled(Control::SB_download, true);
  v_.SetEnabled(Control::SB_upload, true);
}

void Commands::AutorunPICClick() {
  bool autorun = !v_.IsMenuChecked(MenuItem::AutorunPIC);
  v_.SetMenuChecked(MenuItem::AutorunPIC, autorun);
  if (autorun) v_.SetMenuChecked(MenuItem::AutotectPIC, false);
  v_.SetMenuEnabled(MenuItem::AutotectPIC, !autorun);
  // The timer is left alone: coming from automatic detection it keeps
  // ticking, and each tick returns at once with Autodetect unchecked.
  s_.settings->OpenKey(keys::kDll);
  s_.settings->WriteString("autorun", autorun ? "YES" : "NO");
}

}  // namespace tessil
