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
    TextGrid& grid = journalGrid(journalPages, journal->kind);
    const JournalReading r = journal->read(ws.session, ws.jobs, &ws.status.progress(), ws.clock.now().date(),
                                           locale, [&grid](const JournalRow& row) { showRow(grid, row); });
    for (const AlarmRow& a : r.alarms) journalPages.alarms.insert(a.entry, a);
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
                            journal.help,
                            [&journal](CliCall& call) { return journalCommand(call, journal); }});
}

}  // namespace vmk
