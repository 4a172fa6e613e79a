#pragma once
// `actChangePassExecute`: the change-password window `TChangePassFrm` and
// the two register writes that set a new device password.

namespace vmk {

class Workspace;

// Opens the port, asks for the old password, the new one and its
// confirmation, and writes the new password: letters 1 and 2 to register
// 66 (high, low byte), letters 3 and 4 to register 67. A wrong old password
// gives "Ошибка ввода пароля!", a new password that is not four letters
// A..Z confirmed alike "Не подтвержден новый пароль!"; nothing is written
// then. "Пароль был успешно изменен!" only when the device answered both
// writes; otherwise "Ошибка связи с устройством!" (register 67 is not sent
// when register 66 was not answered). DevicePassword is not changed.
// Returns true on success. Throws Error when the port cannot be opened.
bool actChangePassExecute(Workspace& ws);

}  // namespace vmk
