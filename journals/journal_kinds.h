#pragma once
// The journals as one table, a row each: the event journal, the statistics
// counters and the alarm list. The window's journal pages and
// `actGetDataExecute`, vmkctl's events|stats|alarms, the journal reports
// and the batch all find a journal here; a new journal-like function is a
// reader, a renderer (journal_rows.h) and one more row.

#include <QDate>
#include <QJsonArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

#include "device/journal_kind.h"
#include "device/outcome.h"
#include "journals/alarm_list.h"
#include "journals/journal_grids.h"
#include "journals/journal_rows.h"

namespace vmk {

class JobControl;
class Progress;
class Session;

// What one reading of a journal gave: its records (those of its kind),
// and what the renderer makes of them.
struct JournalReading {
  Outcome outcome = Outcome::Done;
  QString error;  // the box's text when it is not the link error
  QList<EventEntry> events;
  QList<StatCounter> counters;
  QList<AlarmRow> alarms;  // the alarm list's entries, which name its oscillograms
  // The rows of the records read, by grid row (a later record naming the
  // same row replaced the earlier one), with the journal's columns, and
  // the records as JSON in the same order.
  std::map<int, QStringList> rows;
  QJsonArray items;
};

// Each row rendered as its record arrives (the window shows it at once).
using RowSink = std::function<void(const JournalRow&)>;

// Reads the journal, `bar` (or nullptr) showing the progress and `shown`
// (or an empty one) taking each row as it arrives.
using JournalReader = JournalReading (*)(Session& session, JobControl& jobs, Progress* bar, const QDate& today,
                                         const QLocale& locale, const RowSink& shown);

// The journal's page in the window: the components' names and the tag of
// its header (3..5, after Grid1 and grdSett).
struct JournalWindow {
  QString tab;     // "Журнал событий"
  QString page;    // "tshEvents"
  QString header;  // "HeaderControl1"
  QString grid;    // "GrdEvent"
  QString gauge;   // "gugEvent"
  QString button;  // "BitBtn1"
  int headerTag;
  int gaugeMaximum;  // the page gauge's maximum at the start
};

struct JournalSpec {
  JournalKind kind;
  int page;             // the window's page (kPageEvents ...)
  QString verb;         // vmkctl's verb, the report's --kind and the batch's file name
  QString jsonKey;      // the records' array in JSON
  QString caption;      // what the batch says it reads
  QString summary;      // vmkctl's one-line help
  QString help;         // vmkctl's help of the verb
  int rows;             // the grid's shape
  int columns;
  const QList<journals::HeaderSection>& (*sections)();  // the page's header
  QStringList (*columnNames)();                          // a table's header outside the window
  const QList<int>& (*columnWidths)();                   // the grid's design widths; nullptr: the header's
  JournalWindow window;
  QString reportTemplate;                  // the journal report's template beside the program
  QList<JournalReportField> reportFields;  // its named values of each row
  JournalReader read;
};

// Every journal, in the order of the pages.
const QList<JournalSpec>& journalKinds();
const JournalSpec& journalSpec(JournalKind kind);
// The journal of a page or of a verb; nullptr for none.
const JournalSpec* journalOfPage(int page);
const JournalSpec* journalOfVerb(const QString& verb);

// Reads the journal showing nothing while it reads (vmkctl, the batch and
// the reports).
JournalReading readJournal(const JournalSpec& spec, Session& session, JobControl& jobs, const QDate& today,
                           const QLocale& locale = QLocale());

// Every row of the journal's grid as the reading gives it: rows it did not
// read are empty (the journal reports fill all of them).
QList<QStringList> wholeTable(const JournalSpec& spec, const JournalReading& reading);

}  // namespace vmk
