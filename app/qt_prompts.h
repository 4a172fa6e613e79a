#pragma once
// Prompts shown with Qt dialogs: the four box kinds, the input box, the file
// and folder dialogs, the password prompt `TPassFrm`, the number dialog `TInputSerial`
// and the port settings dialog. One password and one number dialog serve
// the whole run.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "model/prompts.h"

namespace vmk {

class TPassFrm;
class TInputSerial;

class QtPrompts : public Prompts {
 public:
  QtPrompts();
  ~QtPrompts() override;

  // The window the dialogs belong to (the main window once it exists).
  void setParentWindow(QWidget* window);
  QWidget* parentWindow() const { return m_parent; }

  Button box(const MessageBox& box) override;
  std::optional<QString> input(const QString& caption, const QString& prompt,
                               const QString& defaultText) override;
  std::optional<QString> openFile(const FileDialog& dialog) override;
  std::optional<QString> saveFile(const FileDialog& dialog) override;
  std::optional<QString> chooseFolder(const QString& caption) override;
  std::optional<QString> password() override;
  std::optional<PasswordChange> changePassword() override;
  std::optional<QString> number(const NumberDialog& dialog) override;
  bool portSettings(PortSettings& settings) override;
  void beep() override;

  TPassFrm* passFrm();
  TInputSerial* inputSerial();

  // "Text|*.ext|Other|*.a;*.b" as a Qt name filter list
  // ("Text (*.ext)", "Other (*.a *.b)"); a text that already ends with its
  // pattern in brackets is kept as it is.
  static QStringList nameFilters(const QString& filter);

 private:
  std::optional<QString> fileDialog(const FileDialog& dialog, bool save);

  QPointer<QWidget> m_parent;
  std::unique_ptr<TPassFrm> m_pass;
  std::unique_ptr<TInputSerial> m_number;
};

}  // namespace vmk
