#pragma once
// Pages 4 to 6, the journals: the event journal, the statistics and the
// alarm list with their gauges, the alarm entries last read and the
// oscillograms downloaded in this run.

#include <QHash>
#include <QString>

#include "device/journal_kind.h"
#include "journals/alarm_list.h"
#include "model/progress.h"
#include "model/text_grid.h"

namespace vmk {

struct JournalPages {
  TextGrid GrdEvent{34, 16};  // event journal
  TextGrid grdStat{22, 3};    // statistics
  TextGrid grdAlarm{13, 5};   // alarm list
  Progress gugEvent{0, 64};
  Progress GugStat{0, 22};
  Progress GugAlarm{0, 15};
  // The .cfg of each alarm row whose oscillogram was downloaded in this
  // run (for the viewer).
  QHash<int, QString> oscFiles;
  // The alarm entries last read, by grid row: the oscillogram download
  // takes its entry, time and ratios from the selected one.
  QHash<int, AlarmRow> alarms;
};

// The grid of a journal's page: GrdEvent, grdStat or grdAlarm.
inline TextGrid& journalGrid(JournalPages& pages, JournalKind kind) {
  switch (kind) {
    case JournalKind::Events: return pages.GrdEvent;
    case JournalKind::Stats: return pages.grdStat;
    case JournalKind::Alarms: break;
  }
  return pages.grdAlarm;
}

// Its gauge: gugEvent, GugStat or GugAlarm.
inline Progress& journalGauge(JournalPages& pages, JournalKind kind) {
  switch (kind) {
    case JournalKind::Events: return pages.gugEvent;
    case JournalKind::Stats: return pages.GugStat;
    case JournalKind::Alarms: break;
  }
  return pages.GugAlarm;
}

}  // namespace vmk
