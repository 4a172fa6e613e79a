#pragma once
// Texts that more than one subsystem shows. Each subsystem keeps its own
// texts in its own messages.h; a text lives in one place only.

#include <QString>

namespace vmk::msg {

// A failed exchange with the device.
inline const QString kLinkError = QStringLiteral("Ошибка связи с устройством!");
// A password entry that is not the device's.
inline const QString kPasswordError = QStringLiteral("Ошибка ввода пароля!");
// Status bar text after a long operation was stopped by the user.
inline const QString kOperationCancelled = QStringLiteral("Операция прервана");

}  // namespace vmk::msg
