#pragma once
// The device client's own texts: how the change log names what a request
// changed in the device.

#include <QString>

namespace vmk::msg::device {

// Remote commands (function 5).
inline const QString kAcknowledge = QStringLiteral("Квитирование");
inline const QString kRecorderStart = QStringLiteral("Пуск осциллографа");
inline const QString kRelayCommand = QStringLiteral("Команда реле %1");  // 1..
inline const QString kOtherCommand = QStringLiteral("Команда 0x%1");     // four hex digits

// Service functions (function 0x18).
inline const QString kServiceSerial = QStringLiteral("Изменение серийного номера");
inline const QString kServiceClearStats = QStringLiteral("Обнуление статистики");
inline const QString kServiceEraseOsc = QStringLiteral("Стирание осцилограмм");
inline const QString kServiceEraseEvents = QStringLiteral("Стирание событий");
inline const QString kCalibrationLeave = QStringLiteral("Выход из режима калибровки");
inline const QString kCalibrationEnter = QStringLiteral("Вход в режим калибровки");
inline const QString kOtherService = QStringLiteral("Сервисная функция %1");

// The operation a change belongs to when the session names none.
inline const QString kRegisterWrite = QStringLiteral("Запись регистра");
inline const QString kClockSet = QStringLiteral("Установка часов");
inline const QString kCalibrationWrite = QStringLiteral("Запись коэффициента калибровки");

}  // namespace vmk::msg::device
