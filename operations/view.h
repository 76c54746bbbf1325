// The main window as the command sequences see it: every effect they have on
// controls, dialogs, message boxes and timers, and nothing else. TMainWindow
// implements it over the real widgets; tests implement it with FakeView.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessil {

// Controls whose enabled or visible state the sequences change.
enum class Control {
  SB_load,
  SB_save,
  SB_download,
  SB_upload,
  DisplayCombo,
  ScrollBar1,
  Image1,
  Image2,
  MainWindow,
};

// Items of PopupMenu1, by index.
enum class MenuItem {
  settings = 0,
  config = 1,
  SelectPIC = 2,
  Erase = 3,
  AutotectPIC = 4,
  AutorunPIC = 5,
  About = 6,
};

// Panels of StatusBar1, by index.
enum class StatusPanel { Plugin = 0, Activity = 1, Hardware = 2 };

enum class MessageIcon { Stop, Exclamation };

// What a file dialog is given before it is shown. Fields left empty keep the
// value the dialog had from its last use (the open dialog is shared between
// HEX Load and Select Plug-in).
struct FileDialogSetup {
  std::optional<std::string> filter{};  // "*.hex|*.hex": description|pattern
  std::optional<std::string> fileName{};
  std::optional<std::string> title{};
  std::optional<std::string> defaultExtension{};
};

enum class Timer { Splash /* Timer1 */, Polling /* Timer2 */ };

class View {
 public:
  virtual ~View() = default;

  virtual bool IsEnabled(Control control) const = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  virtual void SetVisible(Control control, bool visible) = 0;

  virtual bool IsMenuEnabled(MenuItem item) const = 0;
  virtual void SetMenuEnabled(MenuItem item, bool enabled) = 0;
  virtual bool IsMenuChecked(MenuItem item) const = 0;
  virtual void SetMenuChecked(MenuItem item, bool checked) = 0;

  virtual void SetStatusText(StatusPanel panel, const std::string& text) = 0;

  // DisplayCombo: the selected entry, -1 for none. Setting it from the program
  // never runs DisplayComboChange.
  virtual int SelectorIndex() const = 0;
  virtual void SetSelectorIndex(int index) = 0;

  // ScrollBar1. Any change of the position, by the user or by the program
  // (including the clamp when a new maximum lies below it), raises the change
  // event and so runs ScrollBar1Change; setting the same value raises nothing.
  virtual int ScrollPosition() const = 0;
  virtual void SetScrollPosition(int position) = 0;
  virtual void SetScrollMaximum(int maximum) = 0;

  // StringGrid1 (column, row); row 0 and column 0 are the fixed cells.
  virtual int GridRowCount() const = 0;
  virtual int GridColCount() const = 0;
  virtual void SetGridCell(int column, int row, const std::string& text) = 0;

  // IDEdit and the hidden IDEdit_tmp. A text change of either box raises the
  // change event (IDEditChange); setting an equal text raises nothing. A text
  // set by the program clears IDEdit's modified flag; user edits set it.
  virtual std::string IdText() const = 0;
  virtual void SetIdText(const std::string& text) = 0;
  virtual bool IsIdModified() const = 0;
  virtual std::string IdTmpText() const = 0;
  virtual void SetIdTmpText(const std::string& text) = 0;

  virtual void SetChecksumText(const std::string& text) = 0;

  // A modal message box with one OK button, owned by the main window.
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;

  // OpenDialog1 and SaveDialog1: the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> RunOpenDialog(const FileDialogSetup& setup) = 0;
  virtual std::optional<std::string> RunSaveDialog(const FileDialogSetup& setup) = 0;

  virtual bool IsTimerEnabled(Timer timer) const = 0;
  virtual void SetTimerEnabled(Timer timer, bool enabled) = 0;
  // Changing the interval restarts the timer's count.
  virtual void SetTimerInterval(Timer timer, int milliseconds) = 0;

  // The splash window (AboutWindow): shown without being modal, hidden again.
  virtual void SetSplashVisible(bool visible) = 0;

  // The main window's native id, handed to the plug-in as the owner of its dialogs.
  virtual std::uintptr_t OwnerHandle() const = 0;
};

}  // namespace tessil
