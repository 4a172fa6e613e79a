#pragma once
// Texts of the journals: the event names and information texts, the fault
// texts, the alarm rows and the errors of the readings. The link-error box
// ("Ошибка связи с устройством!") is shared: model/messages.h.

#include <QString>

namespace vmk::msg::journals {

// --- Event journal, GrdEvent -----------------------------------------------
inline const QString kNoEvent = QStringLiteral("Нет события");
inline const QString kStampUndefined = QStringLiteral("Дата и время неопределены");
inline const QString kRowNumber = QStringLiteral("%1.");  // "1." .. "34."

inline const QString kPowerUp = QStringLiteral("Включение устройства");
inline const QString kGroupChange = QStringLiteral("Изменение группы уставок");
inline const QString kGroupInfo = QStringLiteral("Группа уставок %1");
inline const QString kStatisticsReset = QStringLiteral("Сброс статистики");
inline const QString kLocalReset = QStringLiteral("Местный сброс");
inline const QString kRemoteReset = QStringLiteral("Удаленный сброс");
inline const QString kAcknowledge = QStringLiteral("Квитирование реле");
inline const QString kAckLocal = QStringLiteral("Местное квитирование");
inline const QString kAckRs485 = QStringLiteral("Квитирование по ТУ RS485");
inline const QString kAckInput = QStringLiteral("Квитирование от ДВ");
inline const QString kAckRs232 = QStringLiteral("Квитирование по ТУ RS232");
inline const QString kRemoteCommand = QStringLiteral("Команда телеуправления");
inline const QString kRelayInfo = QStringLiteral("Управление реле %1");
inline const QString kReclosing = QStringLiteral("Работа АПВ");
inline const QString kReclosingFailed = QStringLiteral("Неуспешное АПВ");
inline const QString kReserve = QStringLiteral("Резерв");
inline const QString kMtz1Pickup = QStringLiteral("Пуск МТЗ 1 ступени");
inline const QString kMtz2Pickup = QStringLiteral("Пуск МТЗ 2 ступени");
inline const QString kMtz3Pickup = QStringLiteral("Пуск МТЗ 3 ступени");
inline const QString kMtz1Trip = QStringLiteral("Работа МТЗ 1 ступени");
inline const QString kMtz2Trip = QStringLiteral("Работа МТЗ 2 ступени");
inline const QString kMtz3Trip = QStringLiteral("Работа МТЗ 3 ступени");
inline const QString kZnzPickup = QStringLiteral("Пуск ЗНЗ");
inline const QString kZnzTrip = QStringLiteral("Работа ЗНЗ");
inline const QString kBreakerFailure = QStringLiteral("Работа УРОВ");
inline const QString kSettingsChanged = QStringLiteral("Изменение уставок");
inline const QString kInputChanged = QStringLiteral("Изменение дискретного входа");
inline const QString kOutputChanged = QStringLiteral("Изменение выходного реле");

// The fault texts: the four phase marks (A, B, C, N, each followed by a
// blank, or empty), then the primary current.
inline const QString kFaultCurrent = QStringLiteral("Повреждение фазы %1%2%3%4, Iперв = %5 A");
inline const QString kFaultAbove = QStringLiteral("Повреждение фазы %1%2%3%4, Iперв > %5 A");

// --- Alarm list, grdAlarm --------------------------------------------------
inline const QString kAlarmRecord = QStringLiteral("Запись аварии %1");
inline const QString kNoData = QStringLiteral("Нет данных");
inline const QString kNoEntry = QStringLiteral("-1");
// Followed by the reply's length, "|" and its frame byte 3.
inline const QString kReceiveError = QStringLiteral("Ошибка приема данных ");

// --- Oscillogram download ------------------------------------------------
inline const QString kOscNoList =
    QStringLiteral("Необходимо получить данные по осциллограмме!\rВыполнить операцию?");
inline const QString kOscNoEntry = QStringLiteral("Невозможно получить данные по осциллограмме");
inline const QString kOscConfirm =
    QStringLiteral("Получить данные осциллограммы?\rПроцедура займет некоторое время");
inline const QString kOscFilter = QStringLiteral("Файл осциллограмм (*.cfg)|*.cfg");
// The second choice of the save dialog: the strict standard form.
inline const QString kOscStandardFilter = QStringLiteral("COMTRADE 1999 (*.cfg)|*.cfg");
inline const QString kOscDone = QStringLiteral("Данные успешно получены!");

// --- vmkctl ----------------------------------------------------------------
inline const QString kNoJournals = QStringLiteral("У устройства исполнения 3 нет журналов");
inline const QString kCsvNotWritten = QStringLiteral("Не удалось записать файл %1: %2");

// --- What the batch says it reads --------------------------------------------
inline const QString kEventsCaption = QStringLiteral("журнал событий");
inline const QString kStatsCaption = QStringLiteral("статистика");
inline const QString kAlarmsCaption = QStringLiteral("список аварий");

// --- vmkctl's help of each journal's verb -------------------------------------
const QString kEventsHelp = QStringLiteral(
    "vmkctl [global options] events [--csv FILE]\n"
    "\n"
    "Connects and reads the event journal (records 0..33) as the page \"Журнал\n"
    "событий\" shows it: one line per record, its 16 columns separated by tabs\n"
    "(number, date and time, event, information, WDT, Dout5..Dout1, Din6..Din1).\n"
    "With --json, each record gives its number, code, ISO 8601 time stamp with\n"
    "hundredths (null when the device's stamp is no date), event name, information,\n"
    "sub-code, value, primary fault current in amperes (codes 16..23, else null;\n"
    "beyondRange when the device's range was exceeded), the output and input\n"
    "states as booleans and the row's cells. --csv FILE writes the rows with a\n"
    "header row as a UTF-8 CSV file (with a byte-order mark) instead of printing\n"
    "them; it is written only when the whole journal was read. A device of\n"
    "variant 3 has no journals: exit code 3. A record the device does not answer\n"
    "stops the reading: the rows before it are printed, exit code 1.\n");

const QString kStatsHelp = QStringLiteral(
    "vmkctl [global options] stats [--csv FILE]\n"
    "\n"
    "Connects and reads the 22 statistics counters, one line each: number, name and\n"
    "value separated by tabs. With --json, each counter gives its number, name and\n"
    "value as a number. --csv FILE, variant 3 and failures as for \"events\".\n");

const QString kAlarmsHelp = QStringLiteral(
    "vmkctl [global options] alarms [--csv FILE]\n"
    "\n"
    "Connects and reads the alarm list, one line per entry 0..12: date and time\n"
    "(\"Нет данных\" for an entry without a fault), \"Запись аварии N\", the entry\n"
    "number (-1 for none) and the phase and earth transformer ratios, separated\n"
    "by tabs. With --json, each entry gives its number, whether a fault is\n"
    "recorded, its ISO 8601 time (or null) and the ratios. --csv FILE, variant 3\n"
    "and failures as for \"events\".\n");

}  // namespace vmk::msg::journals
