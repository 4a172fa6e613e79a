#pragma once
// Texts of the service menu and the calibration window.

#include <QString>

namespace vmk::svc {

// The number dialog of the factory number.
inline const QString kSerialCaption = QStringLiteral("Ввод серийного номера");
inline const QString kSerialLabel = QStringLiteral("Серийный номер:");

// Warnings shown before the password of a service request.
inline const QString kWarnSerial = QStringLiteral(
    "Внимание! При правильном вводе пароля произойдёт смена серийного номера устройства!");
inline const QString kWarnClearStats = QStringLiteral(
    "Внимание! При правильном вводе пароля произойдёт стирание статистики устройства!");
inline const QString kWarnEraseOsc = QStringLiteral(
    "Внимание! При правильном вводе пароля произойдёт стирание журнала осцилограмм и "
    "стирание флэш-памяти устройства!");
inline const QString kWarnEraseEvents = QStringLiteral(
    "Внимание! При правильном вводе пароля произойдёт стирание журнала событий устройства!");

// mmMess lines after a carried-out request (the PC time goes in front).
inline const QString kSerialChanged = QStringLiteral("Изменён серийный номер устройства.");
inline const QString kStatsCleared = QStringLiteral("Статистика обнулена.");
inline const QString kOscErased = QStringLiteral("Стёрт журнал осцилограмм.");
inline const QString kEventsErased = QStringLiteral("Стёрт журнал событий.");
inline const QString kCalibrationBegin = QStringLiteral("Начало калибровки.");
inline const QString kCalibrationEnd = QStringLiteral("Конец калибровки.");

// The calibration window.
inline const QString kCalibrCaption = QStringLiteral("Calibr");
inline const QString kLowerRange = QStringLiteral("Нижний диапазон");
inline const QString kUpperRange = QStringLiteral("Верхний диапазон");
inline const QString kWriteManual = QStringLiteral("Записать");
inline const QString kWriteAuto = QStringLiteral("Настроить");
inline const QString kModeManual = QStringLiteral("ручной");
inline const QString kModeAuto = QStringLiteral("автоматический");
inline const QString kModeGroup = QStringLiteral("Режим работы");
inline const QString kPortSetup = QStringLiteral("Настройка порта");
inline const QString kTimeOutLabel = QStringLiteral("Таймаут");
inline const QString kFactorLabel = QStringLiteral("Коэффициент");
inline const QString kConnect = QStringLiteral("Connect");
inline const QString kDisconnect = QStringLiteral("Disconnect");

inline const QString kCannotOpenPort = QStringLiteral("Не могу открыть порт...");
inline const QString kAdjustNoAnswer =
    QStringLiteral("Установка режима юстировки: Нет ответа от устройства...");
inline const QString kAdjustActive = QStringLiteral("Режим юстировки - активирован.");
inline const QString kRead1NoAnswer = QStringLiteral("Чтение №1: Нет ответа от устройства...");
inline const QString kRead2NoAnswer = QStringLiteral("Чтение №2: Нет ответа от устройства...");
inline const QString kWriteNoAnswer = QStringLiteral("Запись: Нет ответа от устройства...");

// "Порт " + name + " - открыт." / " - закрыт."
QString portOpenedLine(const QString& port);
QString portClosedLine(const QString& port);

}  // namespace vmk::svc
