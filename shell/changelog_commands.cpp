// The change log: vmkctl's `log` and the window's command.

#include "shell/changelog_commands.h"

#include <QJsonArray>
#include <QJsonObject>

#include "changelog/messages.h"
#include "device/session.h"
#include "model/prompts.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/link_commands.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

const QString kLogHelp = QStringLiteral(
    "vmkctl [global options] log [--serial N]\n"
    "\n"
    "Prints the change log of a device: every change this program (the window or\n"
    "vmkctl) made to it, one line each, oldest first, tab-separated: PC time,\n"
    "operating-system user, device name, factory number, address, operation,\n"
    "register, value before (as last read; - when not known), value after, the\n"
    "request's outcome and the read-back result. Without --serial it connects to\n"
    "learn the device's factory number; with --serial N no device is asked. With\n"
    "--json: the file and the records with typed fields. The logs are kept in\n"
    "the user's data folder ($XDG_DATA_HOME/vmk/changes, one file per factory\n"
    "number). A line that is no record (torn by a crash) is counted as damaged.\n");

Outcome printLog(CliCall& call) {
  if (!call.args.isEmpty()) throw UsageError{QStringLiteral("log takes no words; --serial N")};
  int serial = 0;
  if (const std::optional<QString> s = call.option(QStringLiteral("--serial"))) {
    bool ok = false;
    serial = s->toInt(&ok);
    if (!ok || serial < 0 || serial > 0xFFFF)
      throw UsageError{QStringLiteral("--serial is a factory number 0..65535")};
  } else {
    const Outcome connected = connectForCommand(call);
    if (connected != Outcome::Done) return connected;
    serial = call.session.vmk.SerialNumber;
  }
  const ChangeLog log(call.changeLog ? call.changeLog->folder() : QString());
  const QString path = log.fileOf(serial);
  const ChangeLogReading reading = readChangeLog(path);
  if (!reading.error.isEmpty()) {
    call.prompts.error(QStringLiteral("Не удалось прочитать файл %1: %2").arg(path, reading.error));
    return Outcome::InputRefused;
  }
  QJsonArray records;
  for (const ChangeRecord& r : reading.records) {
    call.text << recordLine(r);
    records.append(toJson(r));
  }
  if (reading.damaged > 0) call.prompts.warning(msg::changelog::kDamaged.arg(reading.damaged));
  call.data.insert(QStringLiteral("serial"), serial);
  call.data.insert(QStringLiteral("file"), path);
  call.data.insert(QStringLiteral("records"), records);
  call.data.insert(QStringLiteral("damaged"), reading.damaged);
  return Outcome::Done;
}

}  // namespace

void reportChangeLogFailure(ChangeLog* log, Prompts& prompts) {
  if (!log) return;
  if (const std::optional<QString> failure = log->takeFailure()) prompts.error(*failure);
}

std::optional<int> connectedSerial(const Workspace& ws) {
  if (!ws.pages.isTabVisible(kPageDinamic)) return std::nullopt;
  return ws.session.vmk.SerialNumber;
}

void declareChangeLogCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actChangeLog"),
                             [](Workspace& ws, const Trigger&) {
                               if (ws.showChangeLog) ws.showChangeLog();
                             },
                             false});
  registry.add(CliCommand{{QStringLiteral("log")}, QStringLiteral("log [--serial N]"),
                          QStringLiteral("print a device's change log"), kLogHelp, printLog});
}

}  // namespace vmk
