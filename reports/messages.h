#pragma once
// The texts of the reports.

#include <QString>

namespace vmk::msg::reports {

// The question after a report was written; its lines are separated by
// carriage returns.
inline const QString kFinished = QStringLiteral("Формирование файла завершено");
inline const QString kFileLine = QStringLiteral("Файл: \"%1\"");
inline const QString kOpenFile = QStringLiteral("Открыть файл?");

// The device report's password cell unless its letters are asked for,
// and the save dialog's check box that asks for them.
inline const QString kMaskedPassword = QStringLiteral("****");
inline const QString kWithPassword = QStringLiteral("Включить пароль устройства в отчёт");

// "date" and "pu4" of a device clock that is not set.
inline const QString kUndefinedDate = QStringLiteral("Неопределены");

// A sheet made of a settings file: the header cells only a device gives,
// and a cell whose row the file gave a text that is no value (the text,
// why; a text that stands for no value at all has no why of its own).
inline const QString kFromFile = QStringLiteral("нет: отчёт по файлу уставок «%1», устройство не читалось");
inline const QString kNotAValue = QStringLiteral("Нет значения: «%1» (%2)");
inline const QString kStandsForNoValue = QStringLiteral("текст не задаёт значения");

// The template engine's own messages.
inline const QString kNoTemplate = QStringLiteral("Не найден шаблон отчёта \"%1\"");
inline const QString kTemplateUnreadable = QStringLiteral("Не удаётся прочитать шаблон отчёта \"%1\": %2");
inline const QString kTemplateDamaged =
    QStringLiteral("Шаблон отчёта \"%1\" повреждён или не является книгой Excel: %2");
inline const QString kNoOutputName = QStringLiteral("Не задано имя файла отчёта");
inline const QString kNotWritten = QStringLiteral("Не удаётся записать файл \"%1\": %2");

// Why a workbook's zip container is refused or not written (the `why`
// after kTemplateDamaged and the like).
namespace zip {
inline const QString kNotZip = QStringLiteral("это не архив zip");
inline const QString kTooManyParts = QStringLiteral("слишком много частей");
inline const QString kNamelessPart = QStringLiteral("часть без имени");
inline const QString kNulInName = QStringLiteral("имя части содержит нулевой байт");
inline const QString kPartUnreadable = QStringLiteral("часть %1 не читается");
inline const QString kPartDamaged = QStringLiteral("часть %1 повреждена");
inline const QString kTooLarge = QStringLiteral("части занимают больше %1 байт");
inline const QString kDirectoryDamaged = QStringLiteral("оглавление архива повреждено");
inline const QString kNotCreated = QStringLiteral("архив не создаётся");
inline const QString kPartNotWritten = QStringLiteral("часть %1 не записывается");
inline const QString kDirectoryNotWritten = QStringLiteral("оглавление архива не записывается");
}  // namespace zip

}  // namespace vmk::msg::reports
