// The change log: vmkctl's `log` and the window's command.

#include "shell/changelog_commands.h"

#include <QJsonArray>
#include <QJsonObject>

#include "changelog/messages.h"
#include "device/session.h"
#include "extlib/view_loader.h"
#include "model/prompts.h"
#include "params/change_view.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/cli_connect.h"
#include "shell/viewer_names.h"
#include "shell/windows.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

const QString kLogHelp = QStringLiteral(
    "vmkctl [global options] log [--serial N [--name NAME]]\n"
    "\n"
    "Prints the change log of a device: every change this program (the window or\n"
    "vmkctl) made to it, one line each, oldest first, tab-separated: PC time,\n"
    "operating-system user, device name, factory number, address, operation, what\n"
    "was changed (the grid row's caption, a setting with its group: \"Группа 1: Ток\n"
    "МТЗ-1, кратность In (A)\"; a command, the clock or a register without a row\n"
    "plainly), the value before (as last read; empty when not known) and after, as\n"
    "the grids show them with the unit, the bits a bit-string row changed, named\n"
    "(\"+ name\" set, \"− name\" cleared), the request's outcome, the read-back\n"
    "result, and the function, register and raw words (\"функция 6, регистр 261:\n"
    "4000 → 2250\"). Without --serial it connects to\n"
    "learn the device's name and factory number; with --serial N no device is\n"
    "asked and the logs of every device name with that number are printed, in\n"
    "time order, or with --name NAME (the device name as `info` and the log's\n"
    "lines give it) that device's only. With --json: the records with typed\n"
    "fields (register, raw words) and their texts (caption, beforeText,\n"
    "afterText, bits, readBackText, detail), and the device's name and file when\n"
    "the name is known. The logs are\n"
    "kept in the user's data folder ($XDG_DATA_HOME/vmk/changes), one file per\n"
    "device: <name>_<number>.jsonl, the name with every character but a letter,\n"
    "a digit, '-' and '.' made '_'; the records of an older <number>.jsonl are\n"
    "read for the device they name. A line that is no record (torn by a crash)\n"
    "is counted as damaged.\n");

Outcome printLog(CliCall& call) {
  if (!call.args.isEmpty()) throw UsageError{QStringLiteral("log takes no words; --serial N [--name NAME]")};
  int serial = 0;
  // Nothing: every device name with that number.
  std::optional<QString> name = call.option(QStringLiteral("--name"));
  if (const std::optional<QString> s = call.option(QStringLiteral("--serial"))) {
    bool ok = false;
    serial = s->toInt(&ok);
    if (!ok || serial < 0 || serial > 0xFFFF)
      throw UsageError{QStringLiteral("--serial is a factory number 0..65535")};
  } else {
    if (name) throw UsageError{QStringLiteral("--name goes with --serial N")};
    const Outcome connected = connectForCommand(call);
    if (connected != Outcome::Done) return connected;
    serial = call.session.vmk.SerialNumber;
    name = call.session.vmk.Name;
  }
  const ChangeLog log(call.changeLog ? call.changeLog->folder() : QString());
  const ChangeLogReading reading = name ? readDeviceLog(log, *name, serial) : readNumberLog(log, serial);
  if (!reading.error.isEmpty()) {
    call.prompts.error(QStringLiteral("Не удалось прочитать файл %1: %2").arg(reading.errorFile, reading.error));
    return Outcome::InputRefused;
  }
  ViewLoader loader(call.programDir);
  const BitNames names = viewerNames(loader);
  QJsonArray records;
  for (const ChangeRecord& r : reading.records) {
    const QStringList cells = recordCells(r, names);
    call.text << cells.join(QLatin1Char('\t'));
    QJsonObject o = toJson(r);
    // The texts beside the typed fields, by their column.
    using namespace change_column;
    const std::pair<int, const char*> texts[] = {
        {kCaption, "caption"}, {kBefore, "beforeText"},     {kAfter, "afterText"},
        {kBits, "bits"},       {kReadBack, "readBackText"}, {kDetail, "detail"}};
    for (const auto& [column, key] : texts) o.insert(QLatin1String(key), cells[column]);
    records.append(o);
  }
  if (reading.damaged > 0) call.prompts.warning(msg::changelog::kDamaged.arg(reading.damaged));
  call.data.insert(QStringLiteral("serial"), serial);
  if (name) {
    call.data.insert(QStringLiteral("name"), *name);
    call.data.insert(QStringLiteral("file"), log.fileOf(*name, serial));
  }
  call.data.insert(QStringLiteral("records"), records);
  call.data.insert(QStringLiteral("damaged"), reading.damaged);
  return Outcome::Done;
}

}  // namespace

const QStringList& changeLogColumns() {
  static const QStringList columns{
      QStringLiteral("Время"),     QStringLiteral("Пользователь"), QStringLiteral("Устройство"),
      QStringLiteral("Зав. номер"), QStringLiteral("Адрес"),        QStringLiteral("Операция"),
      QStringLiteral("Параметр"),  QStringLiteral("Было"),         QStringLiteral("Стало"),
      QStringLiteral("Биты"),      QStringLiteral("Результат"),    QStringLiteral("Проверка"),
      QStringLiteral("Регистр и слова")};
  return columns;
}

QStringList recordCells(const ChangeRecord& r, const BitNames& names, const QLocale& locale) {
  const DeviceChange& c = r.change;
  const ChangeView v = viewOfChange(c, names, locale);
  return {recordTimeText(r.time), r.user, r.device, QString::number(r.serial),
          QString::number(c.address), c.operation, v.caption, v.before, v.after, v.bits,
          outcomeText(c.outcome), readBackText(c.readBack, v.readValue), v.detail};
}

void reportChangeLogFailure(ChangeLog* log, Prompts& prompts) {
  if (!log) return;
  if (const std::optional<QString> failure = log->takeFailure()) prompts.error(*failure);
}

std::optional<int> connectedSerial(const ShellContext& ws) {
  if (!ws.pages.isTabVisible(kPageDinamic)) return std::nullopt;
  return ws.session.vmk.SerialNumber;
}

void declareChangeLogCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actChangeLog"),
                             [](Workspace& ws, const Trigger&) {
                               if (ws.windows) ws.windows->showChangeLog();
                             },
                             false});
  registry.add(CliCommand{{QStringLiteral("log")}, QStringLiteral("log [--serial N [--name NAME]]"),
                          QStringLiteral("print a device's change log"), kLogHelp, printLog});
}

}  // namespace vmk
