#pragma once
// Texts the parameter operations show (the link error is model/messages.h's).

#include <QString>
#include <QStringList>

namespace vmk {

// A write refused before anything was sent; the refused rows follow.
inline const QString kWriteRefused =
    QStringLiteral("Запись отменена, в устройство ничего не записано.\n"
                   "Не могут быть записаны значения:\n");
inline const QString kRowNotWritten = QStringLiteral("строка не записывается в устройство");

// Values outside the ranges of the value editor, before anything is sent.
inline const QString kOutOfRange =
    QStringLiteral("Значения вне допустимого диапазона:\n");
inline const QString kWriteAnyway = QStringLiteral("\nЗаписать их в устройство?");
inline const QString kOutOfRangeRefused =
    QStringLiteral("\nЗапись отменена, в устройство ничего не записано "
                   "(--allow-out-of-range разрешает запись).");

// A row that stands for no value it could send (an empty characteristic, a
// toggle text with neither letter): the device keeps what it holds.
inline const QString kRowKept =
    QStringLiteral("не записано, в устройстве сохранено прежнее значение");
// A write whose read-back does not hold what was sent.
inline const QString kNotHeld = QStringLiteral("Устройство не сохранило значения: ");
inline const QString kNotHeldRow =
    QStringLiteral("«%1» = «%2» (регистр %3: записано %4, прочитано %5)");
inline const QString kNotReadBack = QStringLiteral("нет ответа");
// The write preview: the pages rows are grouped by, and how a row's value
// compares with the device's.
inline const QString kPreviewParameters = QStringLiteral("Параметры");
inline const QString kPreviewSettings = QStringLiteral("Уставки, группа %1");
inline const QString kPreviewUnchanged = QStringLiteral("без изменений");
inline const QString kPreviewChanges = QStringLiteral("изменится");
// The window of the preview.
namespace msg::preview {
inline const QString kTitle = QStringLiteral("Запись в устройство");
inline const QString kSummary =
    QStringLiteral("Будут записаны строки: %1, из них изменятся: %2. "
                   "Проверьте значения перед записью.");
inline const QStringList kColumns{QStringLiteral("Параметр"), QStringLiteral("В устройстве"),
                                  QStringLiteral("Новое значение"), QStringLiteral("Ед. изм."),
                                  QStringLiteral("Изменение")};
inline const QString kOnlyChanging = QStringLiteral("Только изменяемые строки");
inline const QString kWrite = QStringLiteral("Записать");
inline const QString kCancel = QStringLiteral("Отмена");
}  // namespace msg::preview

// After a write: one line per outcome.
inline const QString kSummaryWritten = QStringLiteral("Записано и проверено чтением: %1");
inline const QString kSummaryKept = QStringLiteral("Оставлено прежнее значение: %1");
inline const QString kSummaryFailed = QStringLiteral("Не записано или не подтверждено: %1");
inline const QString kSummaryDeclined =
    QStringLiteral("Запись отменена, в устройство ничего не записано.");

// The operation's name in the change log.
inline const QString kWriteOperation = QStringLiteral("Запись параметров и уставок");
inline const QString kWriteDone = QStringLiteral("Запись в устройство завершена.\n");

// vmkctl: a name that is no settings file's, or a file that is not there.
inline const QString kNotSettingsFile =
    QStringLiteral("Файл %1 не найден или не является файлом уставок (*.ust)");

// A settings file in which no key of either section is found.
inline const QString kNoParameters =
    QStringLiteral("Файл %1 не содержит ни параметров, ни уставок.");

// A settings file a text editor saved as "Unicode".
inline const QString kUtf16File =
    QStringLiteral("Файл %1 сохранён в кодировке UTF-16. Сохраните его в кодировке "
                   "Windows-1251 или UTF-8.");

// A row of a settings file named by its caption, and why its value cannot
// stand (vmkctl params edit, params check).
inline const QString kUnknownCaption = QStringLiteral("нет строки параметров или уставок с таким названием");
inline const QString kRowNotStored = QStringLiteral("строка не хранится в файле уставок");
inline const QString kAmbiguousCaption =
    QStringLiteral("такая строка есть и в параметрах, и в уставках: укажите «Параметры:» или "
                   "«Уставки:» перед названием");
inline const QString kStandsForNoValue =
    QStringLiteral("значение не задаёт величину строки: при записи устройство сохранит прежнее");
inline const QString kOutsideRange = QStringLiteral("вне допустимого диапазона, допустимо %1");
inline const QString kFileNotEdited = QStringLiteral("Файл %1 не изменён:\n%2");
// The rows themselves are the command's output.
inline const QString kFileHasBadRows =
    QStringLiteral("В файле %1 строк, которые не будут записаны в устройство как есть: %2.");
inline const QString kFileExists =
    QStringLiteral("Файл %1 уже существует: новый файл уставок его не заменяет.");

// Where the text of a row came from, in the editor's notes.
inline const QString kOriginFile = QStringLiteral("в файле «%1»");
inline const QString kOriginGrid = QStringLiteral("в таблице");
inline const QString kOriginDevice = QStringLiteral("в устройстве");
// The editor's notes: a text that is no value, a value outside its range.
inline const QString kNoValueNote =
    QStringLiteral("Значение %1 («%2») не является числом. Введите новое значение.");
inline const QString kOutOfRangeNote =
    QStringLiteral("Значение %1 (%2) вне допустимого диапазона: допустимо %3.");
// Loading a settings file whose rows hold texts that are no values; the
// rows follow, one a line.
inline const QString kNotValuesLoaded =
    QStringLiteral("В файле %1 значения некоторых строк не удаётся прочитать:\n%2\n"
                   "Исправьте их (двойной щелчок по строке) перед записью в устройство.");

// A settings file that cannot be read or written.
inline QString fileReadError(const QString& path, const QString& why) {
  return QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, why);
}
inline QString fileWriteError(const QString& path, const QString& why) {
  return QStringLiteral("Не удалось записать файл %1: %2").arg(path, why);
}

// Changes and differences of values, as the comparison and the change log
// name them.
namespace msg::values {
inline const QString kBitN = QStringLiteral("бит %1");
inline const QString kGroupRow = QStringLiteral("Группа %1: %2");
inline const QString kHighPart = QStringLiteral("%1 (старшее слово)");
inline const QString kLowPart = QStringLiteral("%1 (младшее слово)");
inline const QString kPassword = QStringLiteral("Пароль");
inline const QString kRegister = QStringLiteral("Регистр %1");
inline const QString kCommand = QStringLiteral("Команда 0x%1");
inline const QString kClock = QStringLiteral("Часы устройства");
inline const QString kService = QStringLiteral("Сервисная функция %1");
inline const QString kCalibration = QStringLiteral("Калибровочный коэффициент %1");
// The register and the raw words of a change: function, what it addressed,
// the word before (or "—") and what was sent.
inline const QString kDetail = QStringLiteral("функция %1, %2: %3 → %4");
inline const QString kDetailRegister = QStringLiteral("регистр %1");
inline const QString kDetailCode = QStringLiteral("код 0x%1");
inline const QString kUnknown = QStringLiteral("—");
}  // namespace msg::values

}  // namespace vmk
