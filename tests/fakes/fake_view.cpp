#include "tests/fakes/fake_view.h"

#include <algorithm>

namespace tessil::fakes {

// The window's state right after construction.
FakeView::FakeView() : grid(16, std::vector<std::string>(10)) {
  for (Control c : {Control::SB_load, Control::SB_save, Control::SB_download, Control::SB_upload,
                    Control::DisplayCombo, Control::ScrollBar1}) {
    enabled[c] = false;
  }
  enabled[Control::MainWindow] = true;
  enabled[Control::Image1] = enabled[Control::Image2] = true;
  visible[Control::Image1] = true;
  visible[Control::Image2] = false;
  for (int i = 0; i <= 6; ++i) {
    auto item = static_cast<MenuItem>(i);
    menuEnabled[item] = item == MenuItem::SelectPIC || item == MenuItem::About;
    menuChecked[item] = false;
  }
  status[StatusPanel::Plugin] = "Unknow PIC";
  status[StatusPanel::Activity] = "";
  status[StatusPanel::Hardware] = "Unknow hardware";
  timerEnabled[Timer::Splash] = false;
  timerInterval[Timer::Splash] = 100;
  timerEnabled[Timer::Polling] = true;
  timerInterval[Timer::Polling] = 500;
}

void FakeView::TypeId(const std::string& text) {
  idModified = true;
  if (text == idText) return;
  idText = text;
  if (onIdChange) onIdChange();
}

void FakeView::SetStatusText(StatusPanel p, const std::string& text) {
  status[p] = text;
  if (p == StatusPanel::Activity) activityLog.push_back(text);
}

void FakeView::SetScrollPosition(int position) {
  position = std::clamp(position, 0, scrollMaximum);
  if (position == scrollPosition) return;
  scrollPosition = position;
  if (onScrollChange) onScrollChange();
}

void FakeView::SetScrollMaximum(int maximum) {
  scrollMaximum = maximum;
  if (scrollPosition > maximum) SetScrollPosition(maximum);
}

void FakeView::SetIdText(const std::string& text) {
  idModified = false;
  if (text == idText) return;
  idText = text;
  if (onIdChange) onIdChange();
}

void FakeView::SetIdTmpText(const std::string& text) {
  if (text == idTmpText) return;
  idTmpText = text;
  if (onIdChange) onIdChange();
}

void FakeView::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  messages.push_back({text, caption, icon});
  if (onMessage) onMessage(messages.back());
}

namespace {
std::optional<std::string> Answer(std::deque<std::optional<std::string>>& answers) {
  if (answers.empty()) return std::nullopt;
  auto answer = answers.front();
  answers.pop_front();
  return answer;
}
}  // namespace

std::optional<std::string> FakeView::RunOpenDialog(const FileDialogSetup& setup) {
  openSetups.push_back(setup);
  return Answer(openAnswers);
}

std::optional<std::string> FakeView::RunSaveDialog(const FileDialogSetup& setup) {
  saveSetups.push_back(setup);
  return Answer(saveAnswers);
}

}  // namespace tessil::fakes
