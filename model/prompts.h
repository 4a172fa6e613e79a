#pragma once
// Every modal interaction an operation needs. The window implements it with
// Qt dialogs (app/qt_prompts), the command line from its options, tests from
// a script. An operation never opens a widget itself.

#include <QList>
#include <QString>
#include <optional>

namespace vmk {

struct PortSettings;

// What the change-password window `TChangePassFrm` hands back on "Применить".
struct PasswordChange {
  QString oldPassword;  // meOldPass
  QString newPassword;  // meNewPass
  QString confirm;      // meConfirm
};

// The four box kinds carry fixed captions; Custom boxes name their own
// caption (the application title for unhandled errors, "Ошибка", "Сообщение").
enum class BoxIcon { Error, Warning, Information, Confirm };
enum class Button { Ok, Yes, No, Cancel, Abort };

struct MessageBox {
  QString caption;
  BoxIcon icon = BoxIcon::Error;
  QString text;
  QList<Button> buttons{Button::Ok};
};

QString captionFor(BoxIcon icon);  // "Error", "Warning", "Information", "Confirm"
QString buttonText(Button button);  // "OK", "&Yes", "&No", "Cancel", "Abort"

struct FileDialog {
  QString filter;       // "Файл параметров и уставок (*.ust)|*.ust"
  QString defaultExt;   // "ust"
  bool overwritePrompt = false;
  // When given, the dialog puts here which of the filter's choices was
  // taken (0 = the first).
  int* chosenFilter = nullptr;
  QString fileName{};   // the name the dialog starts with
  // When given, a check box with this text under the file name: it starts
  // as *ticked holds, and the dialog puts there whether it was ticked.
  QString checkBox{};
  bool* ticked = nullptr;
};

// The number dialog `TInputSerial`: digits only, at most maxLength characters.
struct NumberDialog {
  QString caption;
  QString label;
  QString text;
  int maxLength = 5;
};

class Prompts {
 public:
  virtual ~Prompts() = default;

  // Shows a modal box and returns the button pressed (the first button when
  // the box was closed another way).
  virtual Button box(const MessageBox& box) = 0;

  // Input box: the text entered, or nothing when cancelled.
  virtual std::optional<QString> input(const QString& caption, const QString& prompt,
                                       const QString& defaultText) = 0;

  virtual std::optional<QString> openFile(const FileDialog& dialog) = 0;
  virtual std::optional<QString> saveFile(const FileDialog& dialog) = 0;

  // The password prompt `TPassFrm`: the entry when "ОК" was pressed.
  virtual std::optional<QString> password() = 0;

  // The change-password window: the three entries when "Применить" was
  // pressed, nothing for "Отменить". A front end without the window
  // answers nothing.
  virtual std::optional<PasswordChange> changePassword() { return std::nullopt; }

  // The number dialog: the text when "ОК" was pressed.
  virtual std::optional<QString> number(const NumberDialog& dialog) = 0;

  // A folder dialog: the folder chosen, or nothing when cancelled. A front
  // end without the dialog answers nothing.
  virtual std::optional<QString> chooseFolder(const QString& caption) {
    (void)caption;
    return std::nullopt;
  }

  // The port settings dialog; true when the user accepted (settings changed).
  virtual bool portSettings(PortSettings& settings) = 0;

  virtual void beep() = 0;

  // Convenience forms of the four kinds with their fixed captions.
  Button error(const QString& text, QList<Button> buttons = {Button::Ok});
  Button warning(const QString& text, QList<Button> buttons = {Button::Ok});
  Button information(const QString& text, QList<Button> buttons = {Button::Ok});
  Button confirm(const QString& text, QList<Button> buttons = {Button::Yes, Button::No});
};

}  // namespace vmk
