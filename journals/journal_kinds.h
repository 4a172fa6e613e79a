#pragma once
// The journals as one table, a row each: the event journal, the statistics
// counters and the alarm list. The window's journal pages and
// `actGetDataExecute`, vmkctl's events|stats|alarms, the journal reports
// and the batch all find a journal here; a new journal-like function is a
// reader and one more row.

#include <QDate>
#include <QJsonArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <map>

#include "device/journal_kind.h"
#include "device/outcome.h"
#include "journals/alarm_list.h"
#include "journals/journal_grids.h"

namespace vmk {

class JobControl;
class Progress;
class Session;
class TextGrid;

// What one reading of a journal gave.
struct JournalReading {
  Outcome outcome = Outcome::Done;
  QString error;  // the box's text when it is not the link error
  // The rows this reading wrote, by grid row, as the grid shows them, and
  // their records as JSON in the same order.
  std::map<int, QStringList> rows;
  QJsonArray items;
  QList<AlarmRow> alarms;  // the alarm list's entries, which name its oscillograms
};

// Reads the journal into `grid` (the page's, or one of the journal's
// shape), `bar` (or nullptr) showing the progress.
using JournalReader = JournalReading (*)(Session& session, JobControl& jobs, Progress* bar, TextGrid& grid,
                                         const QDate& today, const QLocale& locale);

struct JournalSpec {
  JournalKind kind;
  int page;             // the window's page (kPageEvents ...)
  QString verb;         // vmkctl's verb, the report's --kind and the batch's file name
  QString jsonKey;      // the records' array in JSON
  QString caption;      // what the batch says it reads
  QString summary;      // vmkctl's one-line help
  int rows;             // the grid's shape
  int columns;
  const QList<journals::HeaderSection>& (*sections)();  // the page's header
  QStringList (*columnNames)();                          // a table's header outside the window
  JournalReader read;
};

// Every journal, in the order of the pages.
const QList<JournalSpec>& journalKinds();
const JournalSpec& journalSpec(JournalKind kind);
// The journal of a page or of a verb; nullptr for none.
const JournalSpec* journalOfPage(int page);
const JournalSpec* journalOfVerb(const QString& verb);

// Reads the journal on a grid of its own (vmkctl, the batch and the
// reports show none).
JournalReading readJournal(const JournalSpec& spec, Session& session, JobControl& jobs, const QDate& today,
                           const QLocale& locale = QLocale());

}  // namespace vmk
