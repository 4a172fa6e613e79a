#include "app/qt_prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "app/change_pass_dialog.h"
#include "app/input_serial.h"
#include "app/pass_form.h"
#include "app/port_settings_dialog.h"

namespace vmk {

namespace {

QMessageBox::Icon qtIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error: return QMessageBox::Critical;
    case BoxIcon::Warning: return QMessageBox::Warning;
    case BoxIcon::Information: return QMessageBox::Information;
    case BoxIcon::Confirm: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleOf(Button b) {
  switch (b) {
    case Button::Ok:
    case Button::Yes: return QMessageBox::AcceptRole;
    case Button::No: return QMessageBox::NoRole;
    case Button::Cancel:
    case Button::Abort: return QMessageBox::RejectRole;
  }
  return QMessageBox::AcceptRole;
}

// The texts keep the "\r" line breaks they are written with.
QString shownText(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

QtPrompts::QtPrompts() = default;
QtPrompts::~QtPrompts() = default;

void QtPrompts::setParentWindow(QWidget* window) {
  m_parent = window;
}

Button QtPrompts::box(const MessageBox& box) {
  QMessageBox mb(qtIcon(box.icon), box.caption, shownText(box.text), QMessageBox::NoButton,
                 m_parent);
  const QList<Button> buttons = box.buttons.isEmpty() ? QList<Button>{Button::Ok} : box.buttons;
  QList<QPair<QAbstractButton*, Button>> made;
  for (Button b : buttons) made.append({mb.addButton(buttonText(b), roleOf(b)), b});
  mb.setDefaultButton(qobject_cast<QPushButton*>(made.first().first));
  mb.exec();
  for (const auto& [widget, b] : made)
    if (mb.clickedButton() == widget) return b;
  return buttons.first();
}

std::optional<QString> QtPrompts::input(const QString& caption, const QString& prompt,
                                        const QString& defaultText) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, defaultText, &ok);
  if (!ok) return std::nullopt;
  return text;
}

QStringList QtPrompts::nameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString text = parts[i].trimmed();
    const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString bracketed = QLatin1Char('(') + patterns + QLatin1Char(')');
    out << (text.endsWith(bracketed) ? text : text + QLatin1Char(' ') + bracketed);
  }
  if (parts.size() % 2 == 1 && !parts.last().isEmpty()) out << parts.last();
  return out;
}

std::optional<QString> QtPrompts::fileDialog(const FileDialog& dialog, bool save) {
  QFileDialog fd(m_parent);
  fd.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  fd.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = nameFilters(dialog.filter);
  if (!filters.isEmpty()) fd.setNameFilters(filters);
  fd.setDefaultSuffix(dialog.defaultExt);
  if (!dialog.fileName.isEmpty()) fd.selectFile(dialog.fileName);
  if (save && !dialog.overwritePrompt) fd.setOption(QFileDialog::DontConfirmOverwrite);
  QCheckBox* box = nullptr;
  if (!dialog.checkBox.isEmpty() && dialog.ticked) {
    // A platform's own dialog takes no widget of ours: Qt's dialog, whose
    // grid gets the box on a row of its own below the file name.
    fd.setOption(QFileDialog::DontUseNativeDialog);
    if (auto* grid = qobject_cast<QGridLayout*>(fd.layout())) {
      box = new QCheckBox(dialog.checkBox, &fd);
      box->setObjectName(QStringLiteral("chkFileDialogOption"));
      box->setChecked(*dialog.ticked);
      grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
    }
  }
  if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty()) return std::nullopt;
  if (dialog.chosenFilter) *dialog.chosenFilter = std::max(0, int(filters.indexOf(fd.selectedNameFilter())));
  if (box) *dialog.ticked = box->isChecked();
  return fd.selectedFiles().first();
}

std::optional<QString> QtPrompts::openFile(const FileDialog& dialog) {
  return fileDialog(dialog, false);
}

std::optional<QString> QtPrompts::saveFile(const FileDialog& dialog) {
  return fileDialog(dialog, true);
}

std::optional<QString> QtPrompts::chooseFolder(const QString& caption) {
  const QString dir = QFileDialog::getExistingDirectory(m_parent, caption);
  if (dir.isEmpty()) return std::nullopt;
  return dir;
}

TPassFrm* QtPrompts::passFrm() {
  // Parentless: the dialog is centred on the desktop and owned here.
  if (!m_pass) m_pass = std::make_unique<TPassFrm>();
  return m_pass.get();
}

TInputSerial* QtPrompts::inputSerial() {
  if (!m_number) m_number = std::make_unique<TInputSerial>();
  return m_number.get();
}

std::optional<QString> QtPrompts::password() {
  TPassFrm* form = passFrm();
  form->meOldPass()->clear();
  if (form->exec() != QDialog::Accepted) return std::nullopt;
  return form->meOldPass()->text();
}

std::optional<PasswordChange> QtPrompts::changePassword() { return TChangePassFrm::ask(m_parent); }

std::optional<QString> QtPrompts::number(const NumberDialog& dialog) {
  TInputSerial* form = inputSerial();
  form->prepare(dialog);
  if (form->exec() != QDialog::Accepted) return std::nullopt;
  return form->text();
}

bool QtPrompts::portSettings(PortSettings& settings) {
  PortSettingsDialog dialog(settings, m_parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  settings = dialog.settings();
  return true;
}

void QtPrompts::beep() { QApplication::beep(); }

}  // namespace vmk
