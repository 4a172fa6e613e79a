#pragma once
// `actChangePass`: the change-password window `TChangePassFrm` and the two
// register writes that set a new device password.

#include <QString>

#include "device/outcome.h"

namespace vmk {

class Prompts;
class Session;

// Opens the port, asks (through `prompts`) for the old password, the new
// one and its confirmation, and writes the new password at the session's
// device address: letters 1 and 2 to the first password register (high,
// low byte), letters 3 and 4 to the second.
// - "Отменить": Cancelled, nothing shown.
// - An old password other than `devicePassword`: "Ошибка ввода пароля!"
//   (caption "Ошибка"), WrongPassword.
// - A new password that is not four letters A..Z confirmed alike: "Не
//   подтвержден новый пароль!" (caption "Ошибка"), InputRefused.
// - Both writes answered: "Пароль был успешно изменен!" (caption
//   "Сообщение"), Done. Otherwise the outcome of the write that failed
//   (the second is not sent when the first was not answered), PortFailure
//   when the port failed; the caller shows the link error then.
// Nothing is written in the first three cases; `devicePassword` is the
// caller's and is not changed. The port is closed on every way out; a port
// that cannot be opened throws Error.
Outcome changePassword(Session& session, Prompts& prompts, const QString& devicePassword);

// Texts of the change-password window.
inline const QString kPasswordNotConfirmed = QStringLiteral("Не подтвержден новый пароль!");
inline const QString kPasswordChanged = QStringLiteral("Пароль был успешно изменен!");

}  // namespace vmk
