#pragma once
// The device password prompt `TPassFrm` and its check `CheckPassword`, and
// the key rule of every password edit.

#include <QString>

#include "device/outcome.h"

namespace vmk {

class Prompts;

enum class PasswordForm {
  Strict,   // writing and service operations: an empty entry ends silently
  Command,  // remote commands: an empty entry is compared like any other
};

// Shows the password prompt with an empty entry and compares the entry
// with `devicePassword` (the copy read from the device). Cancel gives
// Cancelled silently; so does an empty entry in the strict form. An entry
// other than the device password shows "Ошибка ввода пароля!" (error icon,
// OK) and gives WrongPassword. An equal entry is Done with the entry.
Result<QString> CheckPassword(Prompts& prompts, const QString& devicePassword,
                              PasswordForm form);

// Password edits accept only the capital Latin letters A..Z (65..90) and
// backspace (8); any other key is dropped and the system beep sounds.
bool passwordKeyAllowed(char16_t key);

}  // namespace vmk
