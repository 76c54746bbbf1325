// A View that records what the command sequences do to the window: control
// states, texts, grid cells, messages, dialogs and timers. Scripted dialog
// answers are queued in openAnswers / saveAnswers (nullopt = cancelled).
#pragma once

#include "operations/view.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tessil::fakes {

struct Message {
  std::string text;
  std::string caption;
  MessageIcon icon;
  bool operator==(const Message&) const = default;
};

class FakeView : public View {
 public:
  FakeView();

  // Raised as the real widgets raise them; tests bind these to Commands.
  std::function<void()> onScrollChange;
  std::function<void()> onIdChange;
  // Runs while a message box is "open" (for instance a timer tick).
  std::function<void(const Message&)> onMessage;

  std::map<Control, bool> enabled;
  std::map<Control, bool> visible;
  std::map<MenuItem, bool> menuEnabled;
  std::map<MenuItem, bool> menuChecked;
  std::map<StatusPanel, std::string> status;
  std::vector<std::string> activityLog;  // every text given to status panel 1, in order
  int selector = -1;
  int scrollPosition = 0;
  int scrollMaximum = 255;
  std::vector<std::vector<std::string>> grid;  // [row][column]
  std::string idText = "0000000000000000";
  std::string idTmpText = "0000000000000000";
  bool idModified = false;
  std::string checksumText = "0x0000";
  std::vector<Message> messages;
  std::deque<std::optional<std::string>> openAnswers, saveAnswers;
  std::vector<FileDialogSetup> openSetups, saveSetups;
  std::map<Timer, bool> timerEnabled;
  std::map<Timer, int> timerInterval;
  bool splashVisible = false;
  std::uintptr_t owner = 0x5A17;

  // A user's edit of IDEdit: sets the modified flag and raises the change event.
  void TypeId(const std::string& text);

  bool IsEnabled(Control c) const override { return enabled.at(c); }
  void SetEnabled(Control c, bool on) override { enabled[c] = on; }
  void SetVisible(Control c, bool on) override { visible[c] = on; }
  bool IsMenuEnabled(MenuItem i) const override { return menuEnabled.at(i); }
  void SetMenuEnabled(MenuItem i, bool on) override { menuEnabled[i] = on; }
  bool IsMenuChecked(MenuItem i) const override { return menuChecked.at(i); }
  void SetMenuChecked(MenuItem i, bool on) override { menuChecked[i] = on; }
  void SetStatusText(StatusPanel p, const std::string& text) override;
  int SelectorIndex() const override { return selector; }
  void SetSelectorIndex(int index) override { selector = index; }
  int ScrollPosition() const override { return scrollPosition; }
  void SetScrollPosition(int position) override;
  void SetScrollMaximum(int maximum) override;
  int GridRowCount() const override { return 16; }
  int GridColCount() const override { return 10; }
  void SetGridCell(int column, int row, const std::string& text) override {
    grid.at(row).at(column) = text;
  }
  std::string IdText() const override { return idText; }
  void SetIdText(const std::string& text) override;
  bool IsIdModified() const override { return idModified; }
  std::string IdTmpText() const override { return idTmpText; }
  void SetIdTmpText(const std::string& text) override;
  void SetChecksumText(const std::string& text) override { checksumText = text; }
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  std::optional<std::string> RunOpenDialog(const FileDialogSetup& setup) override;
  std::optional<std::string> RunSaveDialog(const FileDialogSetup& setup) override;
  bool IsTimerEnabled(Timer t) const override { return timerEnabled.at(t); }
  void SetTimerEnabled(Timer t, bool on) override { timerEnabled[t] = on; }
  void SetTimerInterval(Timer t, int ms) override { timerInterval[t] = ms; }
  void SetSplashVisible(bool on) override { splashVisible = on; }
  std::uintptr_t OwnerHandle() const override { return owner; }
};

}  // namespace tessil::fakes
