#pragma once
// Texts of the device link: the port commands, polling and connection.
// Texts that other subsystems show as well are in model/messages.h.

#include <QString>

namespace vmk::msg::link {

// --- The port and the connector ------------------------------------------
inline const QString kPortOpened = QStringLiteral("Порт %1 открыт");   // status panel 0
inline const QString kPortClosed = QStringLiteral("Порт %1 закрыт");
inline const QString kPortOpenHint = QStringLiteral("Порт открыт");    // ActOCPort's hint
inline const QString kPortClosedHint = QStringLiteral("Порт закрыт");
inline const QString kFrontConnector = QStringLiteral("Связь через передний порт");  // panel 1
inline const QString kRearConnector = QStringLiteral("Связь через задний порт");
// Panel 1 for a connector reached over the network, with the server's
// "HOST:PORT" (short enough for the panel; panel 0 names the mode).
inline const QString kFrontOverNetwork = QStringLiteral("Передний порт: %1");
inline const QString kRearOverNetwork = QStringLiteral("Задний порт: %1");
inline const QString kPortOpenError = QStringLiteral("Ошибка открытия порта");
inline const QString kPortCloseError = QStringLiteral("Ошибка закрытия порта");
inline const QString kPortSettingsNotSaved =
    QStringLiteral("Не удалось сохранить настройки порта в файл %1");
inline const QString kLineErrors = QStringLiteral("Ошибка: ");  // followed by the flags
inline const QString kTimeoutCaption = QStringLiteral("Ввод значения таймаута");
inline const QString kTimeoutLabel = QStringLiteral("Таймаут [1..255]:");

// --- Polling: one list line per address ----------------------------------
inline const QString kDeviceOnline = QStringLiteral("Устройство №%1 в сети");
inline const QString kDeviceNotice = QStringLiteral("Устройство №%1 в сети (+)");
inline const QString kDeviceFaulty = QStringLiteral("Устройство неисправно");
inline const QString kDeviceSilent = QStringLiteral("Связи с устройством №%1 нет");

// --- Connection: the report in Memo1 and status panel 2 ------------------
inline const QString kReportName = QStringLiteral("Устройство: ");
inline const QString kReportNumberVersion = QStringLiteral("Заводской №%1, Версия ПО %2");
inline const QString kReportAddress = QStringLiteral("Сетевой адрес устройства %1");
inline const QString kReportGroup = QStringLiteral("Активная группа уставок %1");
inline const QString kReportClock = QStringLiteral("Дата и время устройства: ");
inline const QString kReportClockUndefined =
    QStringLiteral("Дата и время устройства: Неопределены.");
inline const QString kReportLanguage = QStringLiteral("Язык интерфейса: ");
inline const QString kReportInterface = QStringLiteral("Параметры интерфейса:");
inline const QString kReportSpeed = QStringLiteral("Скорость %1 бит/с");
inline const QString kReportParity = QStringLiteral("Без бита паритета");
inline const QString kReportDataBits = QStringLiteral("8 бит данных");
inline const QString kReportStopBits = QStringLiteral("1 стоп-бит");
inline const QString kDeviceChosen = QStringLiteral("Выбрано устройство №%1");
inline const QString kBadDeviceClock = QStringLiteral(
    "Некорректные дата и время!\rПроверьте правильность установки даты и времени.");
inline const QString kNotConnected = QStringLiteral("Устройство не подключено");

}  // namespace vmk::msg::link
