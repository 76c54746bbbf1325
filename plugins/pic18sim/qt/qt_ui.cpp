#include "plugins/pic18sim/qt/qt_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "plugins/pic18sim/core/sim_settings.h"

namespace pic18sim::qt {
namespace {

DialogHook& Hook() {
  static DialogHook hook;
  return hook;
}

std::chrono::milliseconds& ProgressDelay() {
  static std::chrono::milliseconds delay{300};
  return delay;
}

// Widgets need a QApplication; a plain QCoreApplication or none at all means no dialogs.
bool HaveApplication() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// Upper-case hexadecimal digits, zero-padded, as the program shows numbers.
QString Hex(std::size_t value, int digits) {
  return QString("%1").arg(value, digits, 16, QChar('0')).toUpper();
}

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The host's window when `owner` is one of this process's windows, else the active window.
QWidget* OwnerWindow(std::uintptr_t owner) {
  if (owner != 0) {
    if (QWidget* widget = QWidget::find(static_cast<WId>(owner))) return widget->window();
  }
  return QApplication::activeWindow();
}

void CallHookWhenShown(QWidget* dialog) {
  if (Hook()) QTimer::singleShot(0, dialog, [dialog] { Hook()(dialog); });
}

bool RunModal(QDialog& dialog) {
  CallHookWhenShown(&dialog);
  return dialog.exec() == QDialog::Accepted;
}

QDialogButtonBox* OkCancel(QDialog& dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return buttons;
}

void Warn(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
  box.setObjectName("pic18simMessage");
  CallHookWhenShown(&box);
  box.exec();
}

}  // namespace

void SetDialogHook(DialogHook hook) {
  Hook() = std::move(hook);
}

void SetProgressDelay(std::chrono::milliseconds delay) {
  ProgressDelay() = delay;
}

// --- progress ---------------------------------------------------------------------------------

struct QtUi::ProgressState {
  QString title;
  std::uint32_t steps = 0;
  QElapsedTimer started;
  std::unique_ptr<QDialog> window;
  QProgressBar* bar = nullptr;
  bool cancelled = false;
};

QtUi::QtUi() = default;
QtUi::~QtUi() = default;

void QtUi::BeginProgress(std::string_view title, std::uint32_t steps) {
  progress_ = std::make_unique<ProgressState>();
  progress_->title = Text(title);
  progress_->steps = steps;
  progress_->started.start();
}

bool QtUi::Progress(std::uint32_t done) {
  if (!progress_ || !HaveApplication()) return true;
  ProgressState& p = *progress_;
  if (!p.window && p.started.elapsed() >= ProgressDelay().count()) {
    p.window = std::make_unique<QDialog>(QApplication::activeWindow());
    p.window->setObjectName("pic18simProgress");
    p.window->setWindowTitle("PIC18 simulator");
    p.window->setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(p.window.get());
    layout->addWidget(new QLabel(p.title + "...", p.window.get()));
    p.bar = new QProgressBar(p.window.get());
    p.bar->setRange(0, static_cast<int>(p.steps));
    layout->addWidget(p.bar);
    auto* cancel = new QPushButton("Cancel", p.window.get());
    cancel->setObjectName("cancel");
    layout->addWidget(cancel, 0, Qt::AlignRight);
    QObject::connect(cancel, &QPushButton::clicked, [&p] { p.cancelled = true; });
    // Closing the window asks to cancel as well.
    QObject::connect(p.window.get(), &QDialog::rejected, [&p] { p.cancelled = true; });
    p.window->show();
    CallHookWhenShown(p.window.get());
  }
  if (p.window) {
    p.bar->setValue(static_cast<int>(done));
    QCoreApplication::processEvents();
  } else {
    // Until the modal window is up, clicks must not reach the host's window and start
    // another operation inside this one.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  return !p.cancelled;
}

void QtUi::EndProgress() {
  progress_.reset();
}

// --- hardware settings ------------------------------------------------------------------------

std::optional<SettingsForm> QtUi::EditSettings(std::uintptr_t owner, const SettingsForm& form) {
  if (!HaveApplication()) return std::nullopt;
  QDialog dialog(OwnerWindow(owner));
  dialog.setObjectName("pic18simSettings");
  dialog.setWindowTitle("Hardware settings");
  auto* layout = new QVBoxLayout(&dialog);

  auto* port = new QGroupBox("Programmer on the parallel port", &dialog);
  auto* port_form = new QFormLayout(port);
  std::array<QLineEdit*, kHardwareValues.size()> values{};
  for (std::size_t i = 0; i < kHardwareValues.size(); ++i) {
    values[i] = new QLineEdit(QString::number(form.hardware[i]), port);
    values[i]->setObjectName(Text(kHardwareValues[i].name));
    port_form->addRow(Text(kHardwareValues[i].name), values[i]);
  }
  layout->addWidget(port);

  const Switches& s = form.switches;
  auto* sim = new QGroupBox("Simulation", &dialog);
  auto* sim_form = new QFormLayout(sim);
  auto* connected = new QCheckBox("Programmer connected", sim);
  connected->setObjectName("connected");
  connected->setChecked(s.connected);
  auto* inserted = new QCheckBox("Chip in the socket", sim);
  inserted->setObjectName("inserted");
  inserted->setChecked(s.inserted);
  auto* chip = new QComboBox(sim);
  chip->setObjectName("chipType");
  for (const Device& d : Devices()) chip->addItem(Text(d.name));
  chip->setCurrentText(Text(s.chip));
  auto* fault = new QCheckBox("Verification fault (the first program byte fails)", sim);
  fault->setObjectName("verifyFault");
  fault->setChecked(s.verify_fault);
  auto* row_time = new QSpinBox(sim);
  row_time->setObjectName("rowTime");
  row_time->setRange(0, 1'000'000);
  row_time->setSuffix(" \u00b5s");
  row_time->setValue(static_cast<int>(std::min<std::uint32_t>(s.row_time_us, 1'000'000)));
  sim_form->addRow(connected);
  sim_form->addRow(inserted);
  sim_form->addRow("Chip type", chip);
  sim_form->addRow(fault);
  sim_form->addRow("Time per row written", row_time);
  layout->addWidget(sim);

  SettingsForm edited = form;
  QDialogButtonBox* buttons = OkCancel(dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    for (std::size_t i = 0; i < values.size(); ++i) {
      std::optional<std::uint32_t> value = ParseUnsigned(values[i]->text().toStdString());
      if (!value) {
        Warn(&dialog, dialog.windowTitle(),
             values[i]->objectName() +
                 ": enter a whole number from 0 to 4294967295 (decimal, or hexadecimal after 0x).");
        values[i]->setFocus();
        return;
      }
      edited.hardware[i] = *value;
    }
    edited.switches = {connected->isChecked(), inserted->isChecked(),
                       chip->currentText().toStdString(), fault->isChecked(),
                       static_cast<std::uint32_t>(row_time->value())};
    dialog.accept();
  });
  layout->addWidget(buttons);
  if (!RunModal(dialog)) return std::nullopt;
  return edited;
}

// --- configuration bits -----------------------------------------------------------------------

std::optional<ConfigBytes> QtUi::EditConfig(std::uintptr_t owner, const ConfigForm& form) {
  if (!HaveApplication() || !form.device) return std::nullopt;
  QDialog dialog(OwnerWindow(owner));
  dialog.setObjectName("pic18simConfig");
  dialog.setWindowTitle(Text(form.title));
  auto* layout = new QVBoxLayout(&dialog);
  auto* page = new QWidget;
  auto* rows = new QFormLayout(page);
  std::vector<QComboBox*> choices;
  std::vector<std::pair<std::size_t, QLineEdit*>> bytes;

  if (!form.settings.empty()) {
    for (const ConfigSetting& setting : form.settings) {
      auto* combo = new QComboBox(page);
      combo->setObjectName(Text(setting.name));
      // Long descriptions are read in the open list; closed, the boxes fit the dialog.
      combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
      combo->setMinimumContentsLength(32);
      std::optional<std::size_t> selected = SelectedOption(setting, form.config);
      if (!selected) {
        combo->addItem(
            "(0x" + Hex(form.config[setting.index] & setting.mask, 2) + ": none of these)", -1);
      }
      for (std::size_t o = 0; o < setting.options.size(); ++o) {
        const ConfigOption& option = setting.options[o];
        QString item = Text(setting.name) + " = " + Text(option.value);
        if (!option.description.empty()) item += " - " + Text(option.description);
        combo->addItem(item, static_cast<int>(o));
      }
      if (selected) combo->setCurrentIndex(static_cast<int>(*selected));
      combo->setToolTip(QString("%1 (0x%2)")
                            .arg(Text(ConfigRegisterName(setting.index)),
                                 Hex(kConfigAddress + setting.index, 6)));
      rows->addRow(Text(setting.title), combo);
      choices.push_back(combo);
    }
  } else {
    layout->addWidget(new QLabel(
        "The gputils description of this part is not installed: edit the bytes.", &dialog));
    for (std::size_t i = 0; i < kConfigBytes; ++i) {
      if (form.device->config[i].mask == 0) continue;
      auto* edit =
          new QLineEdit(QString("%1").arg(form.config[i], 2, 16, QChar('0')).toUpper(), page);
      edit->setObjectName(Text(ConfigRegisterName(i)));
      edit->setValidator(
          new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{1,2}"), edit));
      rows->addRow(QString("%1 (0x%2), bits 0x%3")
                       .arg(Text(ConfigRegisterName(i)), Hex(kConfigAddress + i, 6),
                            Hex(form.device->config[i].mask, 2)),
                   edit);
      bytes.emplace_back(i, edit);
    }
  }
  auto* scroll = new QScrollArea(&dialog);
  scroll->setWidget(page);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(scroll);

  ConfigBytes edited = form.config;
  QDialogButtonBox* buttons = OkCancel(dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    for (auto& [index, edit] : bytes) {
      bool ok = false;
      unsigned value = edit->text().toUInt(&ok, 16);
      if (!ok) {
        Warn(&dialog, dialog.windowTitle(), edit->objectName() + ": enter two hexadecimal digits.");
        edit->setFocus();
        return;
      }
      edited[index] = static_cast<std::uint8_t>(value);
    }
    for (std::size_t c = 0; c < choices.size(); ++c) {
      int option = choices[c]->currentData().toInt();
      if (option >= 0)
        ApplyOption(form.settings[c], form.settings[c].options[static_cast<std::size_t>(option)],
                    edited);
    }
    dialog.accept();
  });
  layout->addWidget(buttons);
  dialog.resize(640, 480);
  if (!RunModal(dialog)) return std::nullopt;
  return edited;
}

void QtUi::ReportError(std::string_view text) {
  Ui::ReportError(text);
  if (HaveApplication()) Warn(QApplication::activeWindow(), "PIC18 simulator", Text(text));
}

}  // namespace pic18sim::qt
