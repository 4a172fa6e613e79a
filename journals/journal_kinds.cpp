#include "journals/journal_kinds.h"

#include "journals/event_journal.h"
#include "journals/messages.h"
#include "journals/statistics.h"
#include "model/page_state.h"

namespace vmk {

namespace {

// The reading of one kind: its records, each row rendered for `shown` as it
// arrives and again into the reading's rows and JSON at the end.
template <class Record>
void render(JournalReading& out, const QList<Record>& records, JournalRow (*row)(const Record&),
            QJsonObject (*json)(const Record&), int columns) {
  for (const Record& r : records) {
    const JournalRow shown = row(r);
    out.rows[shown.row] = tableCells(shown, columns);
  }
  for (const Record& r : records) out.items.append(json(r));
}

JournalReading readEvents(Session& session, JobControl& jobs, Progress* bar, const QDate& today,
                          const QLocale& locale, const RowSink& shown) {
  const EventReadResult r = readEventJournal(session, jobs, bar, today, locale, [&](const EventEntry& e) {
    if (shown) shown(eventRow(e));
  });
  JournalReading out;
  out.outcome = r.outcome;
  out.events = r.records;
  // A later record naming the same row replaced the earlier one.
  std::map<int, EventEntry> byRow;
  for (const EventEntry& e : r.records) byRow[e.record] = e;
  QList<EventEntry> latest;
  for (const auto& [row, e] : byRow) latest << e;
  render(out, latest, eventRow, journals::eventJson, journals::kEventColumns);
  return out;
}

JournalReading readCounters(Session& session, JobControl& jobs, Progress* bar, const QDate&, const QLocale&,
                            const RowSink& shown) {
  const StatReadResult r = readStatistics(session, jobs, bar, [&](const StatCounter& c) {
    if (shown) shown(counterRow(c));
  });
  JournalReading out;
  out.outcome = r.outcome;
  out.counters = r.counters;
  render(out, r.counters, counterRow, journals::counterJson, journals::kStatColumns);
  return out;
}

JournalReading readAlarms(Session& session, JobControl& jobs, Progress* bar, const QDate& today, const QLocale&,
                          const RowSink& shown) {
  const AlarmReadResult r = readAlarmList(session, jobs, bar, today, [&](const AlarmRow& a) {
    if (shown) shown(alarmRow(a));
  });
  JournalReading out;
  out.outcome = r.outcome;
  out.error = r.error;
  out.alarms = r.rows;
  render(out, r.rows, alarmRow, journals::alarmJson, journals::kAlarmColumns);
  return out;
}

}  // namespace

const QList<JournalSpec>& journalKinds() {
  namespace m = msg::journals;
  static const QList<JournalSpec> kinds{
      {JournalKind::Events, kPageEvents, QStringLiteral("events"), QStringLiteral("events"), m::kEventsCaption,
       QStringLiteral("read the event journal"), m::kEventsHelp, journals::kEventRows, journals::kEventColumns,
       journals::eventSections, journals::eventColumnNames, nullptr,
       {QStringLiteral("Журнал событий"), QStringLiteral("tshEvents"), QStringLiteral("HeaderControl1"),
        QStringLiteral("GrdEvent"), QStringLiteral("gugEvent"), QStringLiteral("BitBtn1"), 3, 64},
       QStringLiteral("template1.xlsx"), {{"d", 1, 1}, {"s", 2, 2}, {"i", 3, 3}, {"o", 4, 15}},
       readEvents},
      {JournalKind::Stats, kPageStatistic, QStringLiteral("stats"), QStringLiteral("counters"), m::kStatsCaption,
       QStringLiteral("read the statistics counters"), m::kStatsHelp, journals::kStatRows, journals::kStatColumns,
       journals::statSections, journals::statColumnNames, journals::statColumnWidths,
       {QStringLiteral("Журнал статистики"), QStringLiteral("tshStatistic"), QStringLiteral("HeaderControl2"),
        QStringLiteral("grdStat"), QStringLiteral("GugStat"), QStringLiteral("BitBtn2"), 4, 22},
       QStringLiteral("template2.xlsx"), {{"d", 1, 1}, {"s", 2, 2}},
       readCounters},
      {JournalKind::Alarms, kPageAlarm, QStringLiteral("alarms"), QStringLiteral("alarms"), m::kAlarmsCaption,
       QStringLiteral("read the alarm list"), m::kAlarmsHelp, journals::kAlarmRows, journals::kAlarmColumns,
       journals::alarmSections, journals::alarmColumnNames, journals::alarmColumnWidths,
       {QStringLiteral("Журнал аварий"), QStringLiteral("tshAlarm"), QStringLiteral("HeaderControl3"),
        QStringLiteral("grdAlarm"), QStringLiteral("GugAlarm"), QStringLiteral("BitBtn3"), 5, 15},
       QStringLiteral("template3.xlsx"), {{"d", 0, 0}, {"s", 1, 1}},
       readAlarms},
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
  return spec.read(session, jobs, nullptr, today, locale, {});
}

QList<QStringList> wholeTable(const JournalSpec& spec, const JournalReading& reading) {
  QList<QStringList> table;
  for (int row = 0; row < spec.rows; ++row) {
    const auto it = reading.rows.find(row);
    table << (it != reading.rows.end() ? it->second : QStringList(spec.columns, QString()));
  }
  return table;
}

}  // namespace vmk
