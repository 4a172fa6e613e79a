#pragma once
// The texts of the serial links' failures (QSerialLink, WinSerialLink).

#include <QString>

namespace vmk::msg::serial {

inline const QString kNotOpen = QStringLiteral("Порт %1 не открыт");
inline const QString kGone = QStringLiteral("Порт %1 недоступен: %2");
inline const QString kWriteFailed = QStringLiteral("Ошибка записи в порт %1: %2");

}  // namespace vmk::msg::serial
