#include "journals/journal_kinds.h"

#include "journals/event_journal.h"
#include "journals/journal_json.h"
#include "journals/messages.h"
#include "journals/statistics.h"
#include "model/page_state.h"
#include "model/text_grid.h"

namespace vmk {

namespace {

QStringList rowCells(const TextGrid& grid, int row) {
  QStringList cells;
  for (int c = 0; c < grid.columnCount(); ++c) cells << grid.cell(c, row);
  return cells;
}

JournalReading readEvents(Session& session, JobControl& jobs, Progress* bar, TextGrid& grid, const QDate& today,
                          const QLocale& locale) {
  const EventReadResult r = readEventJournal(session, jobs, bar, grid, today, locale);
  JournalReading out;
  out.outcome = r.outcome;
  // A later record naming the same row replaced the earlier one.
  std::map<int, EventEntry> shown;
  for (const EventEntry& e : r.records) shown[e.record] = e;
  for (const auto& [row, e] : shown) {
    if (row < grid.rowCount()) out.rows[row] = rowCells(grid, row);
    out.items.append(journals::eventJson(e));
  }
  return out;
}

JournalReading readCounters(Session& session, JobControl& jobs, Progress* bar, TextGrid& grid, const QDate&,
                            const QLocale&) {
  const StatReadResult r = readStatistics(session, jobs, bar, grid);
  JournalReading out;
  out.outcome = r.outcome;
  for (const StatCounter& c : r.counters) {
    out.rows[c.index] = rowCells(grid, c.index);
    out.items.append(journals::counterJson(c));
  }
  return out;
}

JournalReading readAlarms(Session& session, JobControl& jobs, Progress* bar, TextGrid& grid, const QDate& today,
                          const QLocale&) {
  const AlarmReadResult r = readAlarmList(session, jobs, bar, grid, today);
  JournalReading out;
  out.outcome = r.outcome;
  out.error = r.error;
  out.alarms = r.rows;
  for (const AlarmRow& a : r.rows) {
    out.rows[a.entry] = rowCells(grid, a.entry);
    out.items.append(journals::alarmJson(a));
  }
  return out;
}

}  // namespace

const QList<JournalSpec>& journalKinds() {
  namespace m = msg::journals;
  static const QList<JournalSpec> kinds{
      {JournalKind::Events, kPageEvents, QStringLiteral("events"), QStringLiteral("events"), m::kEventsCaption,
       QStringLiteral("read the event journal"), journals::kEventRows, journals::kEventColumns,
       journals::eventSections, journals::eventColumnNames, readEvents},
      {JournalKind::Stats, kPageStatistic, QStringLiteral("stats"), QStringLiteral("counters"), m::kStatsCaption,
       QStringLiteral("read the statistics counters"), journals::kStatRows, journals::kStatColumns,
       journals::statSections, journals::statColumnNames, readCounters},
      {JournalKind::Alarms, kPageAlarm, QStringLiteral("alarms"), QStringLiteral("alarms"), m::kAlarmsCaption,
       QStringLiteral("read the alarm list"), journals::kAlarmRows, journals::kAlarmColumns,
       journals::alarmSections, journals::alarmColumnNames, readAlarms},
  };
  return kinds;
}

const JournalSpec& journalSpec(JournalKind kind) {
  for (const JournalSpec& spec : journalKinds())
    if (spec.kind == kind) return spec;
  return journalKinds().front();  // every kind has its row
}

const JournalSpec* journalOfPage(int page) {
  for (const JournalSpec& spec : journalKinds())
    if (spec.page == page) return &spec;
  return nullptr;
}

const JournalSpec* journalOfVerb(const QString& verb) {
  for (const JournalSpec& spec : journalKinds())
    if (spec.verb == verb) return &spec;
  return nullptr;
}

JournalReading readJournal(const JournalSpec& spec, Session& session, JobControl& jobs, const QDate& today,
                           const QLocale& locale) {
  TextGrid grid(spec.rows, spec.columns);
  return spec.read(session, jobs, nullptr, grid, today, locale);
}

}  // namespace vmk
