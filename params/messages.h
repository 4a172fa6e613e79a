#pragma once
// Texts the parameter operations show (the link error is model/messages.h's).

#include <QString>

namespace vmk {

// A write refused before anything was sent; the refused rows follow.
inline const QString kWriteRefused =
    QStringLiteral("Запись отменена, в устройство ничего не записано.\n"
                   "Не могут быть записаны значения:\n");
inline const QString kRowNotWritten = QStringLiteral("строка не записывается в устройство");
inline const QString kNoRegister =
    QStringLiteral("нет номера регистра (прочитайте параметры из устройства)");

// A settings file that cannot be read or written.
inline QString fileReadError(const QString& path, const QString& why) {
  return QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, why);
}
inline QString fileWriteError(const QString& path, const QString& why) {
  return QStringLiteral("Не удалось записать файл %1: %2").arg(path, why);
}

}  // namespace vmk
