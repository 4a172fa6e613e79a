// The oscillogram download: the alarm grid's popup command and vmkctl osc.

#include "shell/osc_commands.h"

#include <QJsonObject>

#include "journals/alarm_list.h"
#include "journals/journal_grids.h"
#include "journals/messages.h"
#include "journals/osc_download.h"
#include "model/messages.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/journal_commands.h"
#include "shell/cli_connect.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

namespace m = msg::journals;

constexpr int kFilterStandard = 1;

// The main window takes no input while the download runs; undone on every
// way out.
class WindowDisabled {
 public:
  explicit WindowDisabled(PageState& pages) : m_pages(pages) { m_pages.setWindowEnabled(false); }
  ~WindowDisabled() { m_pages.setWindowEnabled(true); }
  WindowDisabled(const WindowDisabled&) = delete;
  WindowDisabled& operator=(const WindowDisabled&) = delete;

 private:
  PageState& m_pages;
};

osc::FunctionNames namesFrom(ViewLoader& loader) {
  return [&loader](int kind, int index) { return loader.funcName(kind, index); };
}

// ---- vmkctl -----------------------------------------------------------------

// -o BASE: a name ending in .cfg or .dat stands for its pair.
QString cliBase(const QString& o) {
  if (o.endsWith(QLatin1String(".cfg"), Qt::CaseInsensitive) ||
      o.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive))
    return o.left(o.size() - 4);
  return o;
}

Outcome oscCommand(CliCall& call) {
  if (!call.args.isEmpty())
    throw UsageError{QStringLiteral("this command takes no arguments; options: --entry N -o BASE [--standard]")};
  const std::optional<QString> entryText = call.option(QStringLiteral("--entry"));
  const std::optional<QString> out = call.option(QStringLiteral("-o"));
  if (!entryText) throw UsageError{QStringLiteral("--entry N is needed (0..12)")};
  bool ok = false;
  const int entry = entryText->toInt(&ok);
  if (!ok || entry < 0 || entry >= journals::kAlarmRows)
    throw UsageError{QStringLiteral("--entry is 0..12")};
  if (!out || out->isEmpty()) throw UsageError{QStringLiteral("-o BASE is needed")};
  const QString base = cliBase(*out);

  const Outcome connected = connectForCommand(call);
  if (connected != Outcome::Done) return connected;
  if (!hasJournals(call.session.vmk)) {
    call.prompts.error(m::kNoJournals);
    return Outcome::InputRefused;
  }

  // The alarm list names the entry's time and carries the ratios.
  const AlarmReadResult list = readAlarmList(call.session, call.jobs, nullptr, call.clock.now().date());
  if (list.outcome != Outcome::Done) {
    if (list.outcome != Outcome::Cancelled)
      call.prompts.error(list.error.isEmpty() ? msg::kLinkError : list.error);
    return list.outcome;
  }
  const AlarmRow* row = nullptr;
  for (const AlarmRow& r : list.rows)
    if (r.entry == entry) row = &r;
  if (!row || !row->valid) {
    call.prompts.error(m::kOscNoEntry);
    return Outcome::InputRefused;
  }

  const osc::Target target = osc::targetOf(*row, base, call.flag(QStringLiteral("--standard")) ? osc::Form::Standard
                                                                                               : osc::Form::Device);

  ViewLoader loader(call.programDir);
  const osc::DownloadResult r = osc::downloadOscillogram(call.session, call.jobs, nullptr,
                                                         call.prompts, namesFrom(loader), target);
  call.data.insert(QStringLiteral("entry"), entry);
  call.data.insert(QStringLiteral("time"), row->when.toString(Qt::ISODate));
  call.data.insert(QStringLiteral("standard"), target.form == osc::Form::Standard);
  call.data.insert(QStringLiteral("complete"), r.outcome == Outcome::Done);
  call.data.insert(QStringLiteral("blocks"), r.blocksRead);
  call.data.insert(QStringLiteral("retries"), r.retries);
  if (r.outcome != Outcome::Done) {
    if (r.outcome != Outcome::Cancelled) call.prompts.error(r.error.isEmpty() ? msg::kLinkError : r.error);
    return r.outcome;
  }
  QJsonObject files{{QStringLiteral("dat"), base + QStringLiteral(".dat")}};
  if (r.cfgWritten) {
    files.insert(QStringLiteral("cfg"), base + QStringLiteral(".cfg"));
    call.text << base + QStringLiteral(".cfg");
  }
  call.text << base + QStringLiteral(".dat");
  call.data.insert(QStringLiteral("files"), files);
  return Outcome::Done;
}

const QString kOscHelp = QStringLiteral(
    "vmkctl [global options] osc --entry N -o BASE [--standard]\n"
    "\n"
    "Connects, reads the alarm list and downloads the oscillogram of alarm entry N\n"
    "(0..12, as \"alarms\" numbers them): 250 blocks of 24 samples, each block\n"
    "asked again up to 3 times when its reply is missing or wrong. Writes the\n"
    "COMTRADE pair BASE.cfg and BASE.dat (a BASE ending in .cfg or .dat names\n"
    "the same pair) in the device maker's form, or with --standard in the strict\n"
    "COMTRADE 1999 form (ASCII only, see docs/comtrade.md). The files appear only\n"
    "when the whole download succeeded: a failure or Ctrl-C leaves an existing\n"
    "pair of that name as it was and no temporary files. Prints the file names;\n"
    "progress goes to standard error on a terminal. Without the viewer library\n"
    "beside the program no .cfg is written (its box on standard error). Exit\n"
    "codes: 0 written, 1 link failure or cancel, 2 usage, 3 an entry without a\n"
    "record, a device without journals or a file that cannot be written.\n");

}  // namespace

void actGetInterruptExecute(ShellContext& ws, JournalPages& journalPages) {
  const int row = journalPages.grdAlarm.currentRow();
  if (row < 0 || row >= journalPages.grdAlarm.rowCount()) return;
  // The entry as the alarm list last read it, not as its row reads.
  const auto entry = journalPages.alarms.constFind(row);
  if (entry == journalPages.alarms.constEnd()) {
    if (ws.prompts.error(m::kOscNoList, {Button::Yes, Button::No}) == Button::Yes) actGetDataExecute(ws, journalPages);
    return;
  }
  if (!entry->valid) {
    ws.prompts.error(m::kOscNoEntry);
    return;
  }
  if (ws.prompts.confirm(m::kOscConfirm, {Button::No, Button::Ok}) == Button::No) return;

  osc::DownloadResult result;
  {
    PortBracket port(ws.session);
    journalPages.GugAlarm.setMaximum(254);
    int filter = 0;
    FileDialog dialog{m::kOscFilter + QLatin1Char('|') + m::kOscStandardFilter, QStringLiteral("cfg"), true};
    dialog.chosenFilter = &filter;
    const std::optional<QString> chosen = ws.prompts.saveFile(dialog);
    if (!chosen) {
      journalPages.GugAlarm.setMaximum(12);
      return;
    }
    const osc::Target target =
        osc::targetOf(*entry, osc::baseName(*chosen), filter == kFilterStandard ? osc::Form::Standard : osc::Form::Device);
    ViewLoader loader(ws.ProgramDir);
    {
      WindowDisabled busy(ws.pages);
      result = osc::downloadOscillogram(ws.session, ws.jobs, &journalPages.GugAlarm, ws.prompts,
                                        namesFrom(loader), target);
    }
    if (result.outcome == Outcome::Done) {
      if (result.cfgWritten) journalPages.oscFiles.insert(row, target.base + QStringLiteral(".cfg"));
      ws.prompts.information(m::kOscDone);
      return;
    }
  }
  if (result.outcome == Outcome::Cancelled) {
    ws.status.setText(panel::kNote, msg::kOperationCancelled);
    return;
  }
  ws.prompts.error(result.error.isEmpty() ? msg::kLinkError : result.error);
}

void declareOscCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actGetInterrupt"),
                             [](Workspace& ws, const Trigger&) { actGetInterruptExecute(ws, ws.journals); }});
  registry.add(CliCommand{{QStringLiteral("osc")},
                          QStringLiteral("osc --entry N -o BASE [--standard]"),
                          QStringLiteral("download an oscillogram into a COMTRADE pair"),
                          kOscHelp,
                          oscCommand});
}

}  // namespace vmk
