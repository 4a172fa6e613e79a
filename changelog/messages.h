#pragma once
// Texts of the change log.

#include <QString>

namespace vmk::msg::changelog {

inline QString writeFailed(const QString& path, const QString& why) {
  return QStringLiteral("Не удалось записать журнал изменений %1: %2. "
                        "Операция выполнена, но не занесена в журнал.")
      .arg(path, why);
}
inline const QString kTitle = QStringLiteral("Журнал изменений");
inline const QString kDamaged = QStringLiteral("Повреждённых строк в журнале: %1.");
inline const QString kNoDevice =
    QStringLiteral("Устройство не подключено: журнал изменений показывается для подключенного "
                   "устройства.");

}  // namespace vmk::msg::changelog
