#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <tuple>
#include <utility>

#include "app/look.h"
#include "app/splash_window.h"
#include "operations/messages.h"
#include "settings/file_store.h"

namespace tessil {

namespace {

constexpr char kCaption[] = "Tessil v2.02 - Programmer for PIC18";
constexpr QSize kClientSize{776, 330};
constexpr char kInitialId[] = "0000000000000000";
constexpr int kIdLength = 16;

QString ToQ(const std::string& text) {
  return QString::fromStdString(text);
}
std::string FromQ(const QString& text) {
  return text.toStdString();
}

// Creates a control with its name, parent and place.
template <class W>
W* Make(QWidget* parent, const char* name, QRect geometry) {
  auto* widget = new W(parent);
  widget->setObjectName(name);
  widget->setGeometry(geometry);
  return widget;
}

const FontSpec kControlFont{Face::Sans, 11};  // MS Sans Serif, 11 pixels
// The status bar has no font of its own in the layout: the controls' face,
// so the window reads as one.
const FontSpec kStatusFont{Face::Sans, 11};

struct BoxSpec {
  const char* name;
  QRect geometry;
  const char* title;
};

enum Box { FILE_Box, PIC_Box, CurDisplay_Box, Window };

constexpr std::array<BoxSpec, 3> kBoxes{{
    {"FILE_Box", {0, 0, 108, 104}, "FILE"},
    {"PIC_Box", {0, 108, 108, 104}, "PIC"},
    {"CurDisplay_Box", {0, 218, 108, 46}, "Current Display"},
}};

struct ButtonSpec {
  QToolButton* TMainWindow::*member;
  const char* name;
  Box parent;
  QRect geometry;
  const char* text;
  const char* hint;
  const char* picture;
};

struct MenuSpec {
  const char* name;
  const char* caption;
  bool enabled;
  bool checkable;
  Handler handler;
};

constexpr std::array<MenuSpec, 7> kMenu{{
    {"settings", "HW Settings", false, false, &Commands::settingsClick},
    {"config", "Configuration bits", false, false, &Commands::configClick},
    {"SelectPIC", "Select Plug-in", true, false, &Commands::SelectPICClick},
    {"Erase", "Bulk erase", false, false, &Commands::EraseClick},
    {"AutotectPIC", "Autodetect PIC", false, true, &Commands::AutotectPICClick},
    {"AutorunPIC", "Autorun PIC", false, true, &Commands::AutorunPICClick},
    {"About", "About", true, false, &Commands::AboutClick},
}};

// Cell sizes as drawn; the table view counts the one-pixel grid line after a
// cell into its section, so each section is one pixel more.
constexpr int kGridLine = 1;
constexpr int kDefaultRowHeight = 18;
constexpr int kFixedRowHeight = 16;
constexpr std::array<int, 10> kColumnWidths{67, 40, 40, 40, 40, 40, 40, 40, 40, 134};

struct PanelSpec {
  int left;
  int width;  // 0: to the right edge
  Qt::Alignment alignment;
  const char* text;
};

constexpr std::array<PanelSpec, 3> kPanels{{
    {0, 112, Qt::AlignCenter, "Unknow PIC"},
    {112, 550, Qt::AlignLeft | Qt::AlignVCenter, ""},
    {662, 0, Qt::AlignCenter, "Unknow hardware"},
}};

// "description|pattern|description|pattern..." as the dialog's name filters;
// several patterns in one entry are separated by ";". A lone description at
// the end is its own pattern.
QStringList NameFilters(const std::string& filter) {
  if (filter.empty()) return {};
  const QStringList parts = ToQ(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    const QString& description = parts[i];
    const QString patterns = i + 1 < parts.size() ? parts[i + 1] : description;
    filters << QStringLiteral("%1 (%2)").arg(description, QString(patterns).replace(';', ' '));
  }
  return filters;
}

QFileDialog* MakeFileDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode) {
  auto* dialog = new QFileDialog(parent);
  dialog->setObjectName(name);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                      : QFileDialog::AnyFile);
  dialog->setNameFilters(NameFilters(text::kHexFilter));
  return dialog;
}

QTimer* MakeTimer(QObject* parent, const char* name, int interval, bool enabled) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(name);
  timer->setInterval(interval);
  if (enabled) timer->start();
  return timer;
}

}  // namespace

std::unique_ptr<Store> UserStore() {
  return std::make_unique<FileStore>(DefaultStorePath());
}

TMainWindow::TMainWindow(MainWindowSetup setup)
    : hooks(std::move(setup.hooks)), session_(std::move(setup.opener)), commands_(session_, *this) {
  BuildControls();
  BuildGrid();
  ScrollBar1_->setMaximum(255);
  ScrollBar1_->setMinimum(0);
  ScrollBar1_->setEnabled(false);
  session_.images.Release();
  commands_.CreateSettings(setup.store());
  show();
  commands_.AfterShown();
}

TMainWindow::~TMainWindow() = default;

void TMainWindow::SetAboutWindow(TAboutWindow* about) {
  about_ = about;
}

void TMainWindow::BuildControls() {
  setObjectName("MainWindow");
  setWindowTitle(kCaption);
  setWindowIcon(ApplicationIcon());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFixedSize(kClientSize);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kWindowColour);
  setPalette(palette);
  setAutoFillBackground(true);
  setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kClientSize,
                                  QGuiApplication::primaryScreen()->availableGeometry()));

  std::array<QWidget*, 4> parents{};
  for (std::size_t i = 0; i < kBoxes.size(); ++i) {
    auto* box = Make<QGroupBox>(this, kBoxes[i].name, kBoxes[i].geometry);
    box->setTitle(kBoxes[i].title);
    box->setFont(MakeFont(kControlFont));
    parents[i] = box;
  }
  parents[Window] = this;

  // The captions keep their spaces; "&" gives the Alt+letter key.
  // clang-format off
  const std::array<ButtonSpec, 5> buttons{{
      {&TMainWindow::SB_load_, "SB_load", FILE_Box, {8, 14, 94, 38}, "   &Load    ",
       "Open an HEX file", "load.svg"},
      {&TMainWindow::SB_save_, "SB_save", FILE_Box, {8, 58, 94, 38}, "   &Save    ",
       "Save the display into HEX file", "save.svg"},
      {&TMainWindow::SB_download_, "SB_download", PIC_Box, {6, 14, 96, 38}, "  &Read   ",
       "Load data from PIC", "download.svg"},
      {&TMainWindow::SB_upload_, "SB_upload", PIC_Box, {6, 58, 96, 38}, "&Program",
       "Transfert data to PIC", "upload.svg"},
      {&TMainWindow::SB_exit_, "SB_exit", Window, {6, 272, 96, 38}, "   &Exit    ",
       "Quit", "exit.svg"},
  }};
  // clang-format on
  for (const ButtonSpec& entry : buttons) {
    auto* button = Make<QToolButton>(parents[entry.parent], entry.name, entry.geometry);
    button->setText(entry.text);
    button->setToolTip(entry.hint);
    button->setIcon(QIcon(Picture(entry.picture, {32, 32})));
    button->setIconSize({32, 32});
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(MakeFont(kControlFont));
    button->setEnabled(entry.member == &TMainWindow::SB_exit_);
    this->*entry.member = button;
  }

  DisplayCombo_ = Make<QComboBox>(parents[CurDisplay_Box], "DisplayCombo", {6, 18, 96, 21});
  DisplayCombo_->setEditable(true);
  DisplayCombo_->setInsertPolicy(QComboBox::NoInsert);
  DisplayCombo_->setCompleter(nullptr);  // typed text stays as typed
  DisplayCombo_->addItems({"From file...", "From PIC..."});
  DisplayCombo_->setCurrentIndex(-1);
  DisplayCombo_->setEditText("From file...");
  DisplayCombo_->setFont(MakeFont(kControlFont));
  DisplayCombo_->setContextMenuPolicy(Qt::NoContextMenu);
  DisplayCombo_->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
  DisplayCombo_->setEnabled(false);

  StringGrid1_ = Make<QTableWidget>(this, "StringGrid1", {112, 5, 535, 306});
  ScrollBar1_ = Make<QScrollBar>(this, "ScrollBar1", {646, 6, 16, 303});
  ScrollBar1_->setOrientation(Qt::Vertical);
  ScrollBar1_->setSingleStep(1);
  ScrollBar1_->setPageStep(1);  // a click beside the thumb moves one position, as an arrow does
  ScrollBar1_->setFocusPolicy(Qt::StrongFocus);

  Panel1_ = Make<QFrame>(this, "Panel1", {668, 6, 108, 270});
  Panel1_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1_->setLineWidth(1);
  QPalette black = Panel1_->palette();
  black.setColor(QPalette::Window, Qt::black);
  Panel1_->setPalette(black);
  Panel1_->setAutoFillBackground(true);
  const std::array<std::tuple<QLabel * TMainWindow::*, const char*, const char*>, 2> sockets{{
      {&TMainWindow::Image1_, "Image1", "socket_empty.svg"},
      {&TMainWindow::Image2_, "Image2", "socket_chip.svg"},
  }};
  for (const auto& [member, name, picture] : sockets) {
    auto* image = Make<QLabel>(Panel1_, name, {3, 3, 98, 260});
    image->setPixmap(Picture(picture, {98, 260}));
    image->setToolTip("Right click !");
    image->setCursor(Qt::PointingHandCursor);
    image->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(image, &QWidget::customContextMenuRequested, this,
            [this, image](const QPoint& position) { SocketMenuRequested(image, position); });
    this->*member = image;
  }
  Image2_->hide();

  for (auto [member, name] : {std::pair{&TMainWindow::IDEdit_, "IDEdit"},
                              std::pair{&TMainWindow::IDEdit_tmp_, "IDEdit_tmp"}}) {
    auto* edit = Make<QLineEdit>(this, name, {670, 278, 105, 21});
    edit->setMaxLength(kIdLength);
    edit->setText(kInitialId);
    // Liberation Sans runs a little wider than the bitmap face the box was
    // sized for; closing the letters up by half a pixel keeps a whole ID in view.
    QFont font = MakeFont(kControlFont);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.5);
    edit->setFont(font);
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    this->*member = edit;
  }
  IDEdit_tmp_->hide();
  IDEdit_tmp_->setFocusPolicy(Qt::NoFocus);
  IDEdit_tmp_->stackUnder(IDEdit_);

  auto* label1 = Make<QLabel>(this, "Label1", {670, 298, 53, 15});
  label1->setText("Checksum:");
  label1->setFont(MakeFont({Face::Serif, 12}));
  FitWidth(*label1);
  ChecksumCaption_ = Make<QLabel>(this, "ChecksumCaption", {725, 298, 41, 15});
  ChecksumCaption_->setText("0x0000");
  ChecksumCaption_->setFont(MakeFont({Face::Serif, 13, true}));
  FitWidth(*ChecksumCaption_);

  BuildStatusBar();
  BuildMenu();

  OpenDialog1_ = MakeFileDialog(this, "OpenDialog1", QFileDialog::AcceptOpen);
  SaveDialog1_ = MakeFileDialog(this, "SaveDialog1", QFileDialog::AcceptSave);
  Timer1_ = MakeTimer(this, "Timer1", 100, false);
  Timer2_ = MakeTimer(this, "Timer2", 500, true);

  setTabOrder(DisplayCombo_, IDEdit_);
  setTabOrder(IDEdit_, StringGrid1_);
  setTabOrder(StringGrid1_, ScrollBar1_);

  ConnectEvents();
}

void TMainWindow::BuildStatusBar() {
  auto* bar = Make<QWidget>(this, "StatusBar1", {0, 311, kClientSize.width(), 19});
  for (std::size_t i = 0; i < kPanels.size(); ++i) {
    const PanelSpec& entry = kPanels[i];
    const int width = entry.width != 0 ? entry.width : bar->width() - entry.left;
    auto* panel = Make<QLabel>(bar, "", {entry.left, 0, width, bar->height()});
    panel->setObjectName(QStringLiteral("Panel%1").arg(i));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(entry.alignment);
    panel->setIndent(2);
    panel->setFont(MakeFont(kStatusFont));
    panel->setText(entry.text);
    panels_[i] = panel;
  }
}

void TMainWindow::BuildMenu() {
  PopupMenu1_ = new QMenu(this);
  PopupMenu1_->setObjectName("PopupMenu1");
  for (std::size_t i = 0; i < kMenu.size(); ++i) {
    const MenuSpec& entry = kMenu[i];
    QAction* item = PopupMenu1_->addAction(entry.caption);
    item->setObjectName(entry.name);
    item->setEnabled(entry.enabled);
    item->setCheckable(entry.checkable);
    connect(item, &QAction::triggered, this, [this, item, handler = entry.handler] {
      // The handler sets the check mark itself; undo the menu's own toggle first.
      if (item->isCheckable()) item->setChecked(!item->isChecked());
      Act(handler);
    });
    items_[i] = item;
  }
}

void TMainWindow::BuildGrid() {
  QTableWidget& grid = *StringGrid1_;
  grid.setColumnCount(static_cast<int>(kColumnWidths.size()));
  grid.setRowCount(16);
  grid.horizontalHeader()->hide();
  grid.verticalHeader()->hide();
  grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid.setSelectionMode(QAbstractItemView::SingleSelection);
  grid.setTabKeyNavigation(false);
  grid.setWordWrap(false);
  grid.setContextMenuPolicy(Qt::NoContextMenu);
  grid.setFont(MakeFont({Face::Mono, 13}));
  for (QHeaderView* header : {grid.horizontalHeader(), grid.verticalHeader()}) {
    header->setMinimumSectionSize(kGridLine);
    header->setSectionResizeMode(QHeaderView::Fixed);
  }
  grid.verticalHeader()->setDefaultSectionSize(kDefaultRowHeight + kGridLine);
  for (int row = 0; row < grid.rowCount(); ++row) {
    for (int column = 0; column < grid.columnCount(); ++column) {
      auto* cell = new QTableWidgetItem;
      const bool fixed = row == 0 || column == 0;
      cell->setBackground(fixed ? kWindowColour : QColor(Qt::white));
      cell->setFlags(fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      grid.setItem(row, column, cell);
    }
  }
  grid.viewport()->installEventFilter(this);

  // The fixed layout: widths, the header row, the address labels.
  grid.setColumnWidth(0, kColumnWidths[0] + kGridLine);
  grid.setRowHeight(0, kFixedRowHeight + kGridLine);
  for (int n = 1; n <= 8; ++n) {
    grid.item(0, n)->setText(QStringLiteral(" W%1").arg(n));
    grid.setColumnWidth(n, kColumnWidths[n] + kGridLine);
  }
  grid.setColumnWidth(9, kColumnWidths[9] + kGridLine);
  grid.item(0, 9)->setText("     ASCII");
  for (int row = 1; row < grid.rowCount(); ++row) {
    grid.item(row, 0)->setText(
        "0x" + QStringLiteral("%1").arg((row - 1) * 16, 5, 16, QLatin1Char('0')).toUpper());
  }
}

void TMainWindow::ConnectEvents() {
  const std::array<std::pair<QToolButton*, Handler>, 4> clicks{{
      {SB_load_, &Commands::SB_loadClick},
      {SB_save_, &Commands::SB_saveClick},
      {SB_download_, &Commands::SB_downloadClick},
      {SB_upload_, &Commands::SB_uploadClick},
  }};
  for (auto [button, handler] : clicks) {
    connect(button, &QToolButton::clicked, this, [this, handler = handler] { Act(handler); });
  }
  // Exit closes the window, so the close sequence runs on this path too.
  connect(SB_exit_, &QToolButton::clicked, this, &QWidget::close);
  connect(DisplayCombo_, &QComboBox::activated, this,
          [this] { Act(&Commands::DisplayComboChange); });
  connect(DisplayCombo_->lineEdit(), &QLineEdit::textEdited, this,
          &TMainWindow::DisplayComboEdited);
  connect(ScrollBar1_, &QScrollBar::valueChanged, this,
          [this] { Act(&Commands::ScrollBar1Change); });
  for (QLineEdit* edit : {IDEdit_, IDEdit_tmp_}) {
    connect(edit, &QLineEdit::textChanged, this, [this] { Act(&Commands::IDEditChange); });
  }
  connect(Timer1_, &QTimer::timeout, this, [this] { Act(&Commands::Timer1Timer); });
  connect(Timer2_, &QTimer::timeout, this, [this] { Act(&Commands::Timer2Timer); });
}

void TMainWindow::Act(Handler handler) {
  if (commands_.Closed()) return;
  if (hooks.handler) {
    hooks.handler(handler);
  } else {
    (commands_.*handler)();
  }
}

void TMainWindow::DisplayComboEdited(const QString& text) {
  // Typed text selects the entry it names exactly, and no entry otherwise.
  const int index = DisplayCombo_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index != DisplayCombo_->currentIndex()) {
    QLineEdit* edit = DisplayCombo_->lineEdit();
    const int cursor = edit->cursorPosition();
    DisplayCombo_->setCurrentIndex(index);  // also rewrites the edit field
    edit->setText(text);
    edit->setCursorPosition(cursor);
  }
  Act(&Commands::DisplayComboChange);
}

void TMainWindow::SocketMenuRequested(QWidget* socket, const QPoint& position) {
  PopupMenu1_->popup(socket->mapToGlobal(position));
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  Act(&Commands::FormClose);
  // The close sequence stopped the splash timer, so nothing else would take
  // a splash that is still up off the screen.
  if (about_) about_->hide();
  event->accept();
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  // The grid has no scrolling of its own: the wheel over it moves ScrollBar1.
  if (watched == StringGrid1_->viewport() && event->type() == QEvent::Wheel) {
    if (ScrollBar1_->isEnabled()) QCoreApplication::sendEvent(ScrollBar1_, event);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// --- View -------------------------------------------------------------------

QWidget* TMainWindow::Widget(Control control) const {
  const std::array<QWidget*, 9> widgets{SB_load_,   SB_save_,      SB_download_,
                                        SB_upload_, DisplayCombo_, ScrollBar1_,
                                        Image1_,    Image2_,       const_cast<TMainWindow*>(this)};
  return widgets.at(static_cast<std::size_t>(control));
}

QAction* TMainWindow::Item(MenuItem item) const {
  return items_.at(static_cast<std::size_t>(item));
}

QTimer* TMainWindow::TimerOf(Timer timer) const {
  return timer == Timer::Splash ? Timer1_ : Timer2_;
}

// A control's own enabled state: the main window's state does not hide it.
bool TMainWindow::IsEnabled(Control control) const {
  return Widget(control)->isEnabledTo(const_cast<TMainWindow*>(this));
}

void TMainWindow::SetEnabled(Control control, bool enabled) {
  Widget(control)->setEnabled(enabled);
}

void TMainWindow::SetVisible(Control control, bool visible) {
  Widget(control)->setVisible(visible);
}

bool TMainWindow::IsMenuEnabled(MenuItem item) const {
  return Item(item)->isEnabled();
}
void TMainWindow::SetMenuEnabled(MenuItem item, bool enabled) {
  Item(item)->setEnabled(enabled);
}
bool TMainWindow::IsMenuChecked(MenuItem item) const {
  return Item(item)->isChecked();
}
void TMainWindow::SetMenuChecked(MenuItem item, bool checked) {
  Item(item)->setChecked(checked);
}

void TMainWindow::SetStatusText(StatusPanel panel, const std::string& text) {
  panels_.at(static_cast<std::size_t>(panel))->setText(ToQ(text));
}

int TMainWindow::SelectorIndex() const {
  return DisplayCombo_->currentIndex();
}

// currentIndexChanged is not connected: only user actions run DisplayComboChange.
void TMainWindow::SetSelectorIndex(int index) {
  DisplayCombo_->setCurrentIndex(index);
}

int TMainWindow::ScrollPosition() const {
  return ScrollBar1_->value();
}
void TMainWindow::SetScrollPosition(int position) {
  ScrollBar1_->setValue(position);
}

// A maximum below the minimum would drag the minimum down with it; the
// minimum stays 0, so the range shrinks to that one position instead.
void TMainWindow::SetScrollMaximum(int maximum) {
  ScrollBar1_->setMaximum(std::max(maximum, ScrollBar1_->minimum()));
}

int TMainWindow::GridRowCount() const {
  return StringGrid1_->rowCount();
}
int TMainWindow::GridColCount() const {
  return StringGrid1_->columnCount();
}

void TMainWindow::SetGridCell(int column, int row, const std::string& text) {
  // Grid texts are plain ASCII: Latin-1 is the cheap exact conversion.
  if (QTableWidgetItem* cell = StringGrid1_->item(row, column)) {
    cell->setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
  }
}

std::string TMainWindow::IdText() const {
  return FromQ(IDEdit_->text());
}
void TMainWindow::SetIdText(const std::string& text) {
  IDEdit_->setText(ToQ(text));
}
bool TMainWindow::IsIdModified() const {
  return IDEdit_->isModified();
}
std::string TMainWindow::IdTmpText() const {
  return FromQ(IDEdit_tmp_->text());
}
void TMainWindow::SetIdTmpText(const std::string& text) {
  IDEdit_tmp_->setText(ToQ(text));
}

void TMainWindow::SetChecksumText(const std::string& text) {
  ChecksumCaption_->setText(ToQ(text));
}

void TMainWindow::ShowMessage(const std::string& text, const std::string& caption,
                              MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning,
                  ToQ(caption), ToQ(text), QMessageBox::Ok, this);
  if (hooks.message) {
    hooks.message(box);
  } else {
    box.exec();
  }
}

std::optional<std::string> TMainWindow::RunOpenDialog(const FileDialogSetup& setup) {
  return RunFileDialog(*OpenDialog1_, setup);
}

std::optional<std::string> TMainWindow::RunSaveDialog(const FileDialogSetup& setup) {
  return RunFileDialog(*SaveDialog1_, setup);
}

std::optional<std::string> TMainWindow::RunFileDialog(QFileDialog& dialog,
                                                      const FileDialogSetup& setup) {
  if (setup.filter) dialog.setNameFilters(NameFilters(*setup.filter));
  if (setup.title) {
    const bool open = dialog.acceptMode() == QFileDialog::AcceptOpen;
    dialog.setWindowTitle(!setup.title->empty() ? ToQ(*setup.title)
                                                : QString(open ? "Open" : "Save As"));
  }
  if (setup.defaultExtension) {
    QString suffix = ToQ(*setup.defaultExtension);
    if (suffix.startsWith('.')) suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
  }
  if (setup.fileName) {
    if (setup.fileName->empty()) {
      // selectFile ignores an empty name, so the last choice would stay
      // selected; clear the dialog's name field and file list selection.
      if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit")) name->clear();
      for (auto* view : dialog.findChildren<QAbstractItemView*>()) view->clearSelection();
    } else {
      dialog.selectFile(QFile::decodeName(setup.fileName->c_str()));
    }
  }

  if (hooks.fileDialog) {
    std::optional<std::string> answer = hooks.fileDialog(dialog);
    if (answer) dialog.selectFile(QFile::decodeName(answer->c_str()));
    return answer;
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

bool TMainWindow::IsTimerEnabled(Timer timer) const {
  return TimerOf(timer)->isActive();
}

// Enabling a running timer leaves its count alone; only a new interval restarts it.
void TMainWindow::SetTimerEnabled(Timer timer, bool enabled) {
  QTimer* t = TimerOf(timer);
  if (!enabled) {
    t->stop();
  } else if (!t->isActive()) {
    t->start();
  }
}

void TMainWindow::SetTimerInterval(Timer timer, int milliseconds) {
  TimerOf(timer)->setInterval(milliseconds);
}

void TMainWindow::SetSplashVisible(bool visible) {
  if (about_) about_->setVisible(visible);
}

std::uintptr_t TMainWindow::OwnerHandle() const {
  return static_cast<std::uintptr_t>(winId());
}

}  // namespace tessil
