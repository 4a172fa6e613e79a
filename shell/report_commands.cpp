// The reports: the window's "Печать" and vmkctl's "report".

#include "shell/report_commands.h"

#include <QFileInfo>
#include <QJsonObject>
#include <optional>

#include "device/session.h"
#include "extlib/view_loader.h"
#include "journals/journal_kinds.h"
#include "journals/messages.h"
#include "model/messages.h"
#include "model/text_grid.h"
#include "params/messages.h"
#include "params/param_set.h"
#include "params/settings_file.h"
#include "reports/device_report.h"
#include "reports/messages.h"
#include "reports/settings_sheet.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/cli_connect.h"
#include "shell/page_rules.h"
#include "shell/settings_file_arg.h"
#include "shell/viewer_names.h"
#include "shell/windows.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

QString reportQuestion(const QString& file) {
  namespace m = msg::reports;
  return m::kFinished + QLatin1Char('\r') + m::kFileLine.arg(file) + QLatin1Char('\r') + m::kOpenFile;
}

// The viewer library and its `GetFuncAr`, reached before anything else of
// the device report.
ViewLoad reachSignalNames(ViewLoader& loader) {
  const ViewLoad loaded = loader.load();
  if (loaded != ViewLoad::Loaded) return loaded;
  return loader.funcName(0, 0).outcome;
}

// ---- vmkctl -----------------------------------------------------------------

const QString kReportHelp = QStringLiteral(
    "vmkctl [global options] report -o FILE [--kind device|events|stats|alarms]\n"
    "                                [--with-password]\n"
    "vmkctl report --from FILE.ust [-o FILE] [--group 1|2] [--kind device]\n"
    "\n"
    "Connects and writes an Excel workbook (.xlsx) from the template beside the\n"
    "program, as \"Печать\" does in the window. --kind device (the default) reads\n"
    "the parameters and both setting groups afresh: template.xlsx; its device\n"
    "password cell (\"p3\") holds \"****\" unless --with-password asks for the\n"
    "four letters (reports are handed round). events, stats and alarms read that\n"
    "journal afresh and report its rows: template1.xlsx, template2.xlsx,\n"
    "template3.xlsx. Every report carries the date, the device's name, factory\n"
    "number, version, clock and language. FILE is replaced only once the new\n"
    "workbook is whole. With --json: the file, the kind and every named\n"
    "value as written (texts; the factory number \"pu2\" as a number). Exit code 1\n"
    "when the device does not answer (no file is written), 3 when the viewer\n"
    "library, the template or the file fails\n"
    "or a device of variant 3 is asked for a journal.\n"
    "\n"
    "--from makes the device report's sheets of a settings file instead, with no\n"
    "device and no port (the global options are not needed): the settings go to\n"
    "group --group (default 1) whatever group they were saved from, the other\n"
    "group's cells stay empty, as do the cells of every row the file lacks (the\n"
    "interface settings and the password it never holds). A row whose text is no\n"
    "value says so in its cell (\"Нет значения: «abc» (...)\"). The header names\n"
    "the file where a device would give its name, factory number, version, clock\n"
    "and language. -o defaults to the settings file's name with .xlsx. Exit\n"
    "code 3 when the settings file cannot be read or holds no setting.\n");

// The written workbook: its name in the text, with --json the kind and
// every named value as written.
Outcome writeForCommand(CliCall& call, const QString& templatePath, const ReportValues& values,
                        const QString& file, const QString& kind) {
  const QString error = writeReport(templatePath, values, file);
  if (!error.isEmpty()) {
    call.prompts.error(error);
    return Outcome::InputRefused;
  }
  call.text << file;
  call.data.insert(QStringLiteral("file"), file);
  call.data.insert(QStringLiteral("kind"), kind);
  QJsonObject named;
  for (auto it = values.constBegin(); it != values.constEnd(); ++it)
    named.insert(it.key(), std::holds_alternative<qint64>(it.value())
                               ? QJsonValue(std::get<qint64>(it.value()))
                               : QJsonValue(std::get<QString>(it.value())));
  call.data.insert(QStringLiteral("values"), named);
  return Outcome::Done;
}

// `report --from FILE.ust`: the settings sheet, no device.
Outcome settingsSheetCommand(CliCall& call, const QString& from) {
  if (call.flag(QStringLiteral("--with-password")))
    throw UsageError{QStringLiteral("--from takes no --with-password: a settings file holds no password")};
  const QString kind = call.option(QStringLiteral("--kind")).value_or(QStringLiteral("device"));
  if (kind != QLatin1String("device")) throw UsageError{QStringLiteral("--from makes the device report only")};
  const QString g = call.option(QStringLiteral("--group")).value_or(QStringLiteral("1"));
  if (g != QLatin1String("1") && g != QLatin1String("2")) throw UsageError{QStringLiteral("--group is 1 or 2")};
  const QFileInfo info(from);
  const QString file = call.option(QStringLiteral("-o"))
                           .value_or(from.left(from.size() - info.suffix().size()) + QStringLiteral("xlsx"));
  if (file.isEmpty()) throw UsageError{QStringLiteral("-o needs a file name")};
  // The workbook would replace the settings it is made of.
  if (QFileInfo(file).absoluteFilePath() == info.absoluteFilePath() ||
      (info.exists() && QFileInfo(file).canonicalFilePath() == info.canonicalFilePath()))
    throw UsageError{QStringLiteral("-o names the settings file itself")};

  ParamSet set(g.toInt());
  const SettingsFileResult loaded = loadSettingsArg(call, from, set);
  if (!loaded.ok()) return loaded.outcome;
  ViewLoader loader(call.programDir);
  const ViewLoad reached = reachSignalNames(loader);
  if (reached != ViewLoad::Loaded) {
    call.prompts.error(viewLoadMessage(reached), {Button::Abort});
    return Outcome::InputRefused;
  }
  const ReportValues values =
      settingsSheetValues(set, info.fileName(), viewerNames(loader), QLocale(), call.clock.now());
  call.data.insert(QStringLiteral("from"), from);
  call.data.insert(QStringLiteral("group"), set.group());
  return writeForCommand(call, call.programDir + kDeviceTemplate, values, file, kind);
}

Outcome reportCommand(CliCall& call) {
  if (!call.args.isEmpty())
    throw UsageError{QStringLiteral("this command takes no arguments; options: -o FILE, --kind KIND, --with-password, --from FILE.ust")};
  if (const std::optional<QString> from = call.option(QStringLiteral("--from")))
    return settingsSheetCommand(call, *from);
  if (call.option(QStringLiteral("--group")))
    throw UsageError{QStringLiteral("--group goes with --from")};
  const QString file = call.option(QStringLiteral("-o")).value_or(QString());
  if (file.isEmpty()) throw UsageError{QStringLiteral("report needs -o FILE")};
  const QString kind = call.option(QStringLiteral("--kind")).value_or(QStringLiteral("device"));
  const JournalSpec* journal = journalOfVerb(kind);
  if (!journal && kind != QLatin1String("device")) {
    QStringList kinds{QStringLiteral("device")};
    for (const JournalSpec& j : journalKinds()) kinds << j.verb;
    const QString last = kinds.takeLast();
    throw UsageError{QStringLiteral("--kind is %1 or %2").arg(kinds.join(QStringLiteral(", ")), last)};
  }

  const Outcome connected = connectForCommand(call);
  if (connected != Outcome::Done) return connected;

  ReportValues values;
  QString templatePath;
  if (!journal) {
    ViewLoader loader(call.programDir);
    const ViewLoad reached = reachSignalNames(loader);
    if (reached != ViewLoad::Loaded) {
      call.prompts.error(viewLoadMessage(reached), {Button::Abort});
      return Outcome::InputRefused;
    }
    const PasswordCell password =
        call.flag(QStringLiteral("--with-password")) ? PasswordCell::Letters : PasswordCell::Masked;
    const DeviceReportRead read =
        readDeviceReport(call.session, call.session.vmk.setup, viewerNames(loader), QLocale(), password);
    if (!read.ok()) {
      call.prompts.error(msg::kLinkError);
      return read.outcome;
    }
    values = read.values;
    templatePath = call.programDir + kDeviceTemplate;
  } else {
    if (!hasJournals(call.session.vmk)) {
      call.prompts.error(msg::journals::kNoJournals);
      return Outcome::InputRefused;
    }
    const JournalReading r = readJournal(*journal, call.session, call.jobs, call.clock.now().date());
    const Outcome outcome = r.outcome;
    // A report of a journal read in part would read as the whole journal.
    if (outcome != Outcome::Done) {
      if (outcome != Outcome::Cancelled) call.prompts.error(r.error.isEmpty() ? msg::kLinkError : r.error);
      return outcome;
    }
    values = journalValues(journal->reportFields, wholeTable(*journal, r));
    templatePath = call.programDir + journal->reportTemplate;
  }
  addValues(values, headerValues(call.session.vmk, call.clock.now()));
  return writeForCommand(call, templatePath, values, file, kind);
}

// Writes the workbook and asks whether to open it; a failure of the
// engine shows its message instead.
void writeAndAsk(ShellContext& ws, const QString& templatePath, const ReportValues& values,
                 const QString& file) {
  const QString error = writeReport(templatePath, values, file);
  if (ws.jobs.processEvents) ws.jobs.processEvents();
  if (!error.isEmpty()) {
    ws.prompts.error(error);
    return;
  }
  if (ws.prompts.confirm(reportQuestion(file), {Button::Yes, Button::No}) == Button::Yes && ws.windows)
    ws.windows->openDocument(file);
}

}  // namespace

FileDialog reportDialog() {
  FileDialog dialog;
  dialog.filter = QStringLiteral("Excel File|*.xlsx");
  dialog.defaultExt = QStringLiteral("xlsx");
  dialog.overwritePrompt = true;
  return dialog;
}

void actPrintExecute(ShellContext& ws, JournalPages& journalPages, const QLocale& locale) {
  std::optional<PortBracket> port(std::in_place, ws.session);
  const int page = ws.pages.activePage();
  const JournalSpec* journal = journalOfPage(page);
  const bool device = page == kPageParam || page == kPageSettings;
  if (!device && !journal) return;

  ViewLoader loader(ws.ProgramDir);
  if (device) {
    const ViewLoad reached = reachSignalNames(loader);
    if (reached != ViewLoad::Loaded) {
      port.reset();
      ws.prompts.error(viewLoadMessage(reached), {Button::Abort});
      return;
    }
  }

  FileDialog dialog = reportDialog();
  dialog.fileName = ws.reportFileName;
  // The device report's password cell is masked unless this is ticked.
  bool withPassword = false;
  if (device) {
    dialog.checkBox = msg::reports::kWithPassword;
    dialog.ticked = &withPassword;
  }
  const std::optional<QString> file = ws.prompts.saveFile(dialog);
  if (!file || file->isEmpty()) return;
  ws.reportFileName = *file;

  ReportValues values;
  QString templatePath;
  if (device) {
    const DeviceReportRead read = readDeviceReport(ws.session, ws.session.vmk.setup, viewerNames(loader), locale,
                                                   withPassword ? PasswordCell::Letters : PasswordCell::Masked);
    if (!read.ok()) {
      port.reset();
      ws.prompts.error(msg::kLinkError);
      return;
    }
    values = read.values;
    templatePath = ws.ProgramDir + kDeviceTemplate;
  } else {
    values = journalValues(journal->reportFields, journalGrid(journalPages, journal->kind).rows());
    templatePath = ws.ProgramDir + journal->reportTemplate;
  }
  addValues(values, headerValues(ws.session.vmk, ws.clock.now()));
  port.reset();
  writeAndAsk(ws, templatePath, values, *file);
}

void actFileReportExecute(ShellContext& ws, const ParamsPage& page, const QLocale& locale) {
  ViewLoader loader(ws.ProgramDir);
  const ViewLoad reached = reachSignalNames(loader);
  if (reached != ViewLoad::Loaded) {
    ws.prompts.error(viewLoadMessage(reached), {Button::Abort});
    return;
  }
  // The file opened on the page, as the page holds it now; with none, a
  // file chosen now, read into a set of its own.
  QString path = page.openedFile.path();
  const ParamSet* set = &page.params;
  RowTaken taken = [&page](int grid, int row) { return page.openedFile.taken(page.params, grid, row); };
  ParamSet chosen(page.SettingGroup);
  if (path.isEmpty()) {
    const std::optional<QString> name = ws.prompts.openFile(settingsFileDialog());
    if (!name || name->isEmpty()) return;
    const SettingsFileResult loaded = loadSettingsFile(*name, chosen, MarkLoaded::FileRows);
    if (!loaded.message.isEmpty()) ws.prompts.error(loaded.message);
    if (!loaded.ok()) return;
    path = *name;
    set = &chosen;
    taken = {};
  }

  FileDialog dialog = reportDialog();
  dialog.fileName = ws.reportFileName;
  const std::optional<QString> file = ws.prompts.saveFile(dialog);
  if (!file || file->isEmpty()) return;
  ws.reportFileName = *file;
  const ReportValues values =
      settingsSheetValues(*set, QFileInfo(path).fileName(), viewerNames(loader), locale, ws.clock.now(), taken);
  writeAndAsk(ws, ws.ProgramDir + kDeviceTemplate, values, *file);
}

void declareReportCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actPrint"),
                             [](Workspace& ws, const Trigger&) { actPrintExecute(ws, ws.journals); }, true});
  // Menu "Программа": "Отчёт по файлу уставок..."; no device, no port.
  registry.add(WindowCommand{QStringLiteral("actFileReport"),
                             [](Workspace& ws, const Trigger&) { actFileReportExecute(ws, ws.parameters); },
                             false});
  registry.add(CliCommand{{QStringLiteral("report")},
                          QStringLiteral("report -o FILE [--kind device|events|stats|alarms] "
                                         "[--with-password | --from FILE.ust [--group 1|2]]"),
                          QStringLiteral("write an Excel report of the device, a journal or a settings file"),
                          kReportHelp,
                          reportCommand});
}

}  // namespace vmk
