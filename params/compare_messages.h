#pragma once
// Texts of the comparison of parameters and settings.

#include <QString>

namespace vmk::msg::compare {

inline const QString kEqual = QStringLiteral("совпадает");
inline const QString kDiffers = QStringLiteral("различается");
inline const QString kMissingIn = QStringLiteral("нет в «%1»");
inline const QString kUnconvertible = QStringLiteral("не преобразуется");
// A text that stands for no value (an empty "Тип характеристики").
inline const QString kNoValue = QStringLiteral("значение не задано");

// The text of a row a side lacks.
inline const QString kNoText = QStringLiteral("—");
// The bits that differ, as the right side has them.
inline const QString kBitsIn = QStringLiteral("в «%1»: %2");

inline const QString kGroup = QStringLiteral("Группа %1");
inline const QString kDeviceGroup = QStringLiteral("Устройство, группа %1");

inline const QString kNotSettingsFile =
    QStringLiteral("Файл %1 не найден или не является файлом уставок (*.ust)");

inline const QString kTitle = QStringLiteral("Сравнение уставок");
inline const QString kAllEqual = QStringLiteral("Различий нет.");
inline const QString kSummary = QStringLiteral("Различающихся строк: %1 из %2.");
inline const QString kTaken =
    QStringLiteral("Перенесено строк: %1. Они отмечены «*» и будут записаны командой "
                   "«Записать в устройство».");

}  // namespace vmk::msg::compare
