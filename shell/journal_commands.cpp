// The journals: the command of the window's journal pages and the vmkctl
// commands that read the same journals.

#include "shell/journal_commands.h"

#include <QJsonArray>
#include <QJsonObject>

#include "journals/csv_file.h"
#include "journals/journal_kinds.h"
#include "journals/messages.h"
#include "model/messages.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/cli_connect.h"
#include "shell/page_rules.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

// The main window takes no input while a journal is read; undone on every
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

// What a reading ended with, for the box after it.
struct Ending {
  Outcome outcome = Outcome::Done;
  QString error;  // the box's text when it is not the link error
};

// ---- vmkctl -----------------------------------------------------------------

Outcome journalCommand(CliCall& call, const JournalSpec& journal) {
  if (!call.args.isEmpty())
    throw UsageError{QStringLiteral("this command takes no arguments; options: --csv FILE")};
  const std::optional<QString> csv = call.option(QStringLiteral("--csv"));
  if (csv && csv->isEmpty()) throw UsageError{QStringLiteral("--csv needs a file name")};

  const Outcome connected = connectForCommand(call);
  if (connected != Outcome::Done) return connected;
  if (!hasJournals(call.session.vmk)) {
    call.prompts.error(msg::journals::kNoJournals);
    return Outcome::InputRefused;
  }

  const JournalReading r = readJournal(journal, call.session, call.jobs, call.clock.now().date());
  const Outcome outcome = r.outcome;
  call.data.insert(journal.jsonKey, r.items);
  call.data.insert(QStringLiteral("complete"), outcome == Outcome::Done);

  QList<QStringList> table;
  for (const auto& [row, cells] : r.rows) table << cells;
  if (outcome != Outcome::Done && outcome != Outcome::Cancelled)
    call.prompts.error(r.error.isEmpty() ? msg::kLinkError : r.error);

  // A table that is not whole is never written as a file: it would read as
  // the whole journal. What was read is printed all the same.
  if (csv && outcome == Outcome::Done) {
    QString why;
    if (!writeCsvFile(*csv, journal.columnNames(), table, &why)) {
      call.prompts.error(msg::journals::kCsvNotWritten.arg(*csv, why));
      return Outcome::InputRefused;
    }
    call.data.insert(QStringLiteral("file"), *csv);
    call.text << *csv;
    return outcome;
  }
  for (const QStringList& cells : table) call.text << cells.join(QLatin1Char('\t'));
  return outcome;
}

// vmkctl's help of each journal's verb.
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

const QString& helpOf(JournalKind kind) {
  switch (kind) {
    case JournalKind::Events: return kEventsHelp;
    case JournalKind::Stats: return kStatsHelp;
    case JournalKind::Alarms: return kAlarmsHelp;
  }
  return kEventsHelp;
}

}  // namespace

void actGetDataExecute(ShellContext& ws, JournalPages& journalPages, const QLocale& locale) {
  const JournalSpec* journal = journalOfPage(ws.pages.activePage());
  Ending end;
  {
    WindowDisabled busy(ws.pages);
    if (!journal) {
      PortBracket port(ws.session);
      return;
    }
    const JournalReading r = journal->read(ws.session, ws.jobs, &ws.status.progress(),
                                           journalGrid(journalPages, journal->kind), ws.clock.now().date(), locale);
    end = {r.outcome, r.error};
  }
  if (end.outcome == Outcome::Cancelled) {
    ws.status.setText(panel::kNote, msg::kOperationCancelled);
    return;
  }
  if (end.outcome != Outcome::Done) ws.prompts.error(end.error.isEmpty() ? msg::kLinkError : end.error);
}

void prepareJournalPages(ShellContext& ws) {
  const QString popup = QStringLiteral("actGetInterrupt");
  if (!commandRegistry().findWindow(popup)) ws.pages.setEnabled(popup, false);
}

void declareJournalCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actGetData"),
                             [](Workspace& ws, const Trigger&) { actGetDataExecute(ws, ws.journals); }});

  for (const JournalSpec& journal : journalKinds())
    registry.add(CliCommand{{journal.verb},
                            journal.verb + QStringLiteral(" [--csv FILE]"),
                            journal.summary,
                            helpOf(journal.kind),
                            [&journal](CliCall& call) { return journalCommand(call, journal); }});
}

}  // namespace vmk
