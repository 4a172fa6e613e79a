#pragma once
// The batch's own texts: what it says while it collects, the reasons of
// its items and the lines of its index file (index.txt).

#include <QString>

namespace vmk::msg::batch {

// Why a device's reading stopped.
inline const QString kNoAnswer = QStringLiteral("устройство не отвечает");
inline const QString kBadReply = QStringLiteral("неверный ответ устройства");
inline const QString kDeviceRefused = QStringLiteral("устройство отказало");
inline const QString kPortFailure = QStringLiteral("ошибка порта");
inline const QString kCancelled = QStringLiteral("прервано");
inline const QString kWrongPassword = QStringLiteral("неверный пароль");
inline const QString kInputRefused = QStringLiteral("не принято");

// An item not collected, and why.
inline const QString kNoJournals = QStringLiteral("у устройства исполнения 3 нет журналов");
inline const QString kNoViewLibrary = QStringLiteral("нет библиотеки View: .cfg не записан");
inline const QString kFolderNotCreated = QStringLiteral("Не удалось создать папку %1");

// What it says it is doing.
inline const QString kReadingGroup = QStringLiteral("параметры и уставки группы %1");
inline const QString kReadingOscillogram = QStringLiteral("осциллограмма %1 (%2)");  // entry, its time
inline const QString kPolling = QStringLiteral("опрос сети");
inline const QString kConnecting = QStringLiteral("подключение");

// The index file.
inline const QString kIndexFolder = QStringLiteral("Сбор данных: %1");
inline const QString kIndexParts = QStringLiteral("Состав: %1%2");
inline const QString kIndexUnfinished = QStringLiteral("Не завершено");
inline const QString kIndexCancelled = QStringLiteral("Прервано пользователем");
inline const QString kIndexStopped = QStringLiteral("Остановлено: %1");
inline const QString kIndexDevice = QStringLiteral("Адрес %1: %2, заводской номер %3%4");
inline const QString kIndexDeviceFolder = QStringLiteral(", папка %1");
inline const QString kIndexCounts = QStringLiteral("  записано %1, пропущено %2, ошибок %3%4");
inline const QString kIndexDeviceFailed = QStringLiteral(" - ОШИБКА: %1");
inline const QString kIndexSilent = QStringLiteral("Не отвечают: %1");

}  // namespace vmk::msg::batch
