#pragma once
// Texts of the live values and the remote commands.

#include <QString>

namespace vmk::msg {

// Primary values chosen while a transformer secondary is 0.
inline const QString kMeasurementError = QStringLiteral("Ошибка чтения измерения");
// The clock command the device did not carry out.
inline const QString kClockNotSet = QStringLiteral("Ошибка установки даты и времени");
// An auto-refresh tick that failed: caption and text of its box.
inline const QString kDataLostCaption = QStringLiteral("Ошибка");
inline const QString kDataLost =
    QStringLiteral("Неудается получить данные.\rВозможно пропала связь с устройством.");
// vmkctl: a relay, acknowledge or recorder command the device did not
// confirm (the window stays silent).
inline const QString kCommandNotConfirmed = QStringLiteral("Устройство не подтвердило команду");

// The interval question of "Авто опрос" and its refusal.
inline const QString kIntervalCaption = QStringLiteral("Интервал обновления");
inline const QString kIntervalPrompt = QStringLiteral("Введите время (1..60) с");
inline const QString kIntervalRefused = QStringLiteral(
    "Неверный интервал обновления: \"%1\".\rВведите время в секундах больше 0 (не более 60).");
// Status panel 3 and the hints of "Авто опрос".
inline const QString kAutoRefreshEvery = QStringLiteral("Автообновление %1 с");
inline const QString kAutoRefreshOff = QStringLiteral("Автообновления нет");
inline const QString kAutoRefreshHintOn = QStringLiteral("Отключить автоматическое обновление");
inline const QString kAutoRefreshHintOff = QStringLiteral("Включить автоматическое обновление");

}  // namespace vmk::msg
