#pragma once
// The device password prompt `TPassFrm` and its check `CheckPassword`, and
// the key rule of every password edit.

#include <QString>
#include <optional>

namespace vmk {

class Workspace;

enum class PasswordForm {
  Strict,   // writing and service operations: an empty entry ends silently
  Command,  // remote commands: an empty entry is compared like any other
};

// Shows the password prompt with an empty entry. Cancel ends the calling
// operation silently (nothing); so does an empty entry in the strict form.
// An entry other than DevicePassword shows "Ошибка ввода пароля!" and gives
// nothing. An equal entry is returned.
std::optional<QString> CheckPassword(Workspace& ws, PasswordForm form);

// Password edits accept only the capital Latin letters A..Z (65..90) and
// backspace (8); any other key is dropped and the system beep sounds.
bool PasswordKeyAllowed(char16_t key);

// Texts of the password windows.
inline const QString kPasswordError = QStringLiteral("Ошибка ввода пароля!");

}  // namespace vmk
