// TMainWindow: the program's one working window. It builds the controls, turns
// their events into calls of the command handlers and carries out, as View, the
// effects those handlers have on the window.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "operations/commands.h"
#include "operations/session.h"
#include "operations/view.h"

class QAction;
class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QScrollBar;
class QTableWidget;
class QTimer;
class QToolButton;

namespace tessil {

class TAboutWindow;

// Makes the store that Settings is created over.
using StoreFactory = std::function<std::unique_ptr<Store>()>;

// The user's own store, $XDG_CONFIG_HOME/tessil/registry.reg.
std::unique_ptr<Store> UserStore();

// A command handler, as the window's events run them.
using Handler = void (Commands::*)();

// Stand-ins for the modal parts of the window, for tests. Each one, when set,
// is used instead of the real thing.
struct WindowHooks {
  // Given the fully prepared message box instead of running it.
  std::function<void(QMessageBox&)> message = {};
  // Given the prepared file dialog instead of running it; answers the chosen
  // path, or nothing for Cancel.
  std::function<std::optional<std::string>(QFileDialog&)> fileDialog = {};
  // Given each handler that an event would run, instead of running it.
  std::function<void(Handler)> handler = {};
};

struct MainWindowSetup {
  StoreFactory store = UserStore;
  LibraryOpener opener = {};  // empty: dlopen
  WindowHooks hooks = {};
};

class TMainWindow : public QWidget, public View {
  Q_OBJECT

 public:
  // Builds the window and runs the start-up steps of its construction: the
  // controls, the grid's layout, the scroll bar, the empty images, Settings
  // with its release check, showing the window, the plug-in re-load.
  explicit TMainWindow(MainWindowSetup setup = {});
  ~TMainWindow() override;

  // The splash window that SetSplashVisible shows; created after this window.
  void SetAboutWindow(TAboutWindow* about);

  Session& session() { return session_; }

  WindowHooks hooks;

  // View.
  bool IsEnabled(Control control) const override;
  void SetEnabled(Control control, bool enabled) override;
  void SetVisible(Control control, bool visible) override;
  bool IsMenuEnabled(MenuItem item) const override;
  void SetMenuEnabled(MenuItem item, bool enabled) override;
  bool IsMenuChecked(MenuItem item) const override;
  void SetMenuChecked(MenuItem item, bool checked) override;
  void SetStatusText(StatusPanel panel, const std::string& text) override;
  int SelectorIndex() const override;
  void SetSelectorIndex(int index) override;
  int ScrollPosition() const override;
  void SetScrollPosition(int position) override;
  void SetScrollMaximum(int maximum) override;
  int GridRowCount() const override;
  int GridColCount() const override;
  void SetGridCell(int column, int row, const std::string& text) override;
  std::string IdText() const override;
  void SetIdText(const std::string& text) override;
  bool IsIdModified() const override;
  std::string IdTmpText() const override;
  void SetIdTmpText(const std::string& text) override;
  void SetChecksumText(const std::string& text) override;
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  std::optional<std::string> RunOpenDialog(const FileDialogSetup& setup) override;
  std::optional<std::string> RunSaveDialog(const FileDialogSetup& setup) override;
  bool IsTimerEnabled(Timer timer) const override;
  void SetTimerEnabled(Timer timer, bool enabled) override;
  void SetTimerInterval(Timer timer, int milliseconds) override;
  void SetSplashVisible(bool visible) override;
  std::uintptr_t OwnerHandle() const override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildMenu();
  void BuildGrid();
  void BuildStatusBar();
  void ConnectEvents();
  // Runs a handler unless the close sequence has already run: input that was
  // queued before the close must not reach what the close released.
  void Act(Handler handler);
  // The user typed into the selector's edit field.
  void DisplayComboEdited(const QString& text);
  void SocketMenuRequested(QWidget* socket, const QPoint& position);
  std::optional<std::string> RunFileDialog(QFileDialog& dialog, const FileDialogSetup& setup);

  QWidget* Widget(Control control) const;
  QAction* Item(MenuItem item) const;
  QTimer* TimerOf(Timer timer) const;

  Session session_;
  Commands commands_;
  QPointer<TAboutWindow> about_;

  QToolButton* SB_load_ = nullptr;
  QToolButton* SB_save_ = nullptr;
  QToolButton* SB_download_ = nullptr;
  QToolButton* SB_upload_ = nullptr;
  QToolButton* SB_exit_ = nullptr;
  QComboBox* DisplayCombo_ = nullptr;
  QTableWidget* StringGrid1_ = nullptr;
  QScrollBar* ScrollBar1_ = nullptr;
  QFrame* Panel1_ = nullptr;
  QLabel* Image1_ = nullptr;
  QLabel* Image2_ = nullptr;
  QLineEdit* IDEdit_ = nullptr;
  QLineEdit* IDEdit_tmp_ = nullptr;
  QLabel* ChecksumCaption_ = nullptr;
  std::array<QLabel*, 3> panels_{};
  QMenu* PopupMenu1_ = nullptr;
  std::array<QAction*, 7> items_{};
  QFileDialog* OpenDialog1_ = nullptr;
  QFileDialog* SaveDialog1_ = nullptr;
  QTimer* Timer1_ = nullptr;
  QTimer* Timer2_ = nullptr;
};

}  // namespace tessil
