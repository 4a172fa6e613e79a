// The journals: the command of the window's journal pages and the vmkctl
// commands that read the same journals.

#include "shell/journal_commands.h"

#include <QJsonArray>
#include <QJsonObject>
#include <map>
#include <memory>
#include <set>

#include "journals/alarm_list.h"
#include "journals/csv_file.h"
#include "journals/event_journal.h"
#include "journals/journal_grids.h"
#include "journals/journal_json.h"
#include "journals/messages.h"
#include "journals/statistics.h"
#include "model/messages.h"
#include "model/text_grid.h"
#include "shell/cli_call.h"
#include "shell/command_registry.h"
#include "shell/cli_connect.h"
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

enum class Journal { Events, Stats, Alarms };

QStringList rowCells(const TextGrid& grid, int row) {
  QStringList cells;
  for (int c = 0; c < grid.columnCount(); ++c) cells << grid.cell(c, row);
  return cells;
}

Outcome journalCommand(CliCall& call, Journal journal) {
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

  const QDate today = call.clock.now().date();
  const QLocale locale;
  Outcome outcome = Outcome::Done;
  QString error;
  std::set<int> rows;  // the grid rows this reading wrote
  QStringList columns;
  QJsonArray items;
  std::unique_ptr<TextGrid> grid;
  QString key;
  switch (journal) {
    case Journal::Events: {
      grid = std::make_unique<TextGrid>(journals::kEventRows, journals::kEventColumns);
      const EventReadResult r =
          readEventJournal(call.session, call.jobs, nullptr, *grid, today, locale);
      outcome = r.outcome;
      // A later record naming the same row replaced the earlier one.
      std::map<int, EventEntry> shown;
      for (const EventEntry& e : r.records) shown[e.record] = e;
      for (const auto& [row, e] : shown) {
        rows.insert(row);
        items.append(journals::eventJson(e));
      }
      columns = journals::eventColumnNames();
      key = QStringLiteral("events");
      break;
    }
    case Journal::Stats: {
      grid = std::make_unique<TextGrid>(journals::kStatRows, journals::kStatColumns);
      const StatReadResult r = readStatistics(call.session, call.jobs, nullptr, *grid);
      outcome = r.outcome;
      for (const StatCounter& c : r.counters) {
        rows.insert(c.index);
        items.append(journals::counterJson(c));
      }
      columns = journals::statColumnNames();
      key = QStringLiteral("counters");
      break;
    }
    case Journal::Alarms: {
      grid = std::make_unique<TextGrid>(journals::kAlarmRows, journals::kAlarmColumns);
      const AlarmReadResult r = readAlarmList(call.session, call.jobs, nullptr, *grid, today);
      outcome = r.outcome;
      error = r.error;
      for (const AlarmRow& a : r.rows) {
        rows.insert(a.entry);
        items.append(journals::alarmJson(a));
      }
      columns = journals::alarmColumnNames();
      key = QStringLiteral("alarms");
      break;
    }
  }
  call.data.insert(key, items);
  call.data.insert(QStringLiteral("complete"), outcome == Outcome::Done);

  QList<QStringList> table;
  for (int row : rows) table << rowCells(*grid, row);
  if (outcome != Outcome::Done && outcome != Outcome::Cancelled)
    call.prompts.error(error.isEmpty() ? msg::kLinkError : error);

  // A table that is not whole is never written as a file: it would read as
  // the whole journal. What was read is printed all the same.
  if (csv && outcome == Outcome::Done) {
    QString why;
    if (!writeCsvFile(*csv, columns, table, &why)) {
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

}  // namespace

void actGetDataExecute(Workspace& ws, const QLocale& locale) {
  Session& s = ws.session;
  Progress* bar = &ws.status.progress();
  const QDate today = ws.clock.now().date();
  Ending end;
  {
    WindowDisabled busy(ws.pages);
    switch (ws.pages.activePage()) {
      case kPageEvents:
        end.outcome = readEventJournal(s, ws.jobs, bar, ws.GrdEvent, today, locale).outcome;
        break;
      case kPageStatistic:
        end.outcome = readStatistics(s, ws.jobs, bar, ws.grdStat).outcome;
        break;
      case kPageAlarm: {
        const AlarmReadResult r = readAlarmList(s, ws.jobs, bar, ws.grdAlarm, today);
        end = {r.outcome, r.error};
        break;
      }
      default: {
        PortBracket port(s);
        return;
      }
    }
  }
  if (end.outcome == Outcome::Cancelled) {
    ws.status.setText(panel::kNote, msg::kOperationCancelled);
    return;
  }
  if (end.outcome != Outcome::Done) ws.prompts.error(end.error.isEmpty() ? msg::kLinkError : end.error);
}

void prepareJournalPages(Workspace& ws) {
  const QString popup = QStringLiteral("actGetInterrupt");
  if (!commandRegistry().findWindow(popup)) ws.pages.setEnabled(popup, false);
}

void declareJournalCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actGetData"),
                             [](Workspace& ws, const Trigger&) { actGetDataExecute(ws); }});

  registry.add(CliCommand{{QStringLiteral("events")},
                          QStringLiteral("events [--csv FILE]"),
                          QStringLiteral("read the event journal"),
                          kEventsHelp,
                          [](CliCall& call) { return journalCommand(call, Journal::Events); }});
  registry.add(CliCommand{{QStringLiteral("stats")},
                          QStringLiteral("stats [--csv FILE]"),
                          QStringLiteral("read the statistics counters"),
                          kStatsHelp,
                          [](CliCall& call) { return journalCommand(call, Journal::Stats); }});
  registry.add(CliCommand{{QStringLiteral("alarms")},
                          QStringLiteral("alarms [--csv FILE]"),
                          QStringLiteral("read the alarm list"),
                          kAlarmsHelp,
                          [](CliCall& call) { return journalCommand(call, Journal::Alarms); }});
}

}  // namespace vmk
