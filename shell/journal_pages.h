#pragma once
// The journal pages (4 to 6): a grid and a gauge for each journal of the
// journal-kinds table, the alarm entries last read and the oscillograms
// downloaded in this run. A new journal brings its page with its row.

#include <QHash>
#include <QString>
#include <map>
#include <memory>

#include "device/journal_kind.h"
#include "journals/alarm_list.h"
#include "model/progress.h"
#include "model/text_grid.h"

namespace vmk {

struct JournalPages {
  JournalPages() = default;
  JournalPages(const JournalPages&) = delete;
  JournalPages& operator=(const JournalPages&) = delete;

  // The page's grid and gauge of a journal.
  TextGrid& grid(JournalKind kind) { return *m_pages.at(kind).grid; }
  Progress& gauge(JournalKind kind) { return *m_pages.at(kind).gauge; }

 private:
  struct Page {
    std::unique_ptr<TextGrid> grid;
    std::unique_ptr<Progress> gauge;
  };
  using Pages = std::map<JournalKind, Page>;
  static Pages pagesOfTheTable();
  // Made first: the names below refer into it.
  Pages m_pages = pagesOfTheTable();

 public:
  // The window's components by their names.
  TextGrid& GrdEvent{grid(JournalKind::Events)};  // event journal
  TextGrid& grdStat{grid(JournalKind::Stats)};    // statistics
  TextGrid& grdAlarm{grid(JournalKind::Alarms)};  // alarm list
  Progress& gugEvent{gauge(JournalKind::Events)};
  Progress& GugStat{gauge(JournalKind::Stats)};
  Progress& GugAlarm{gauge(JournalKind::Alarms)};
  // The .cfg of each alarm row whose oscillogram was downloaded in this
  // run (for the viewer).
  QHash<int, QString> oscFiles;
  // The alarm entries last read, by grid row: the oscillogram download
  // takes its entry, time and ratios from the selected one.
  QHash<int, AlarmRow> alarms;
};

// The grid of a journal's page (GrdEvent, grdStat, grdAlarm ...) and its
// gauge (gugEvent, GugStat, GugAlarm ...).
inline TextGrid& journalGrid(JournalPages& pages, JournalKind kind) { return pages.grid(kind); }
inline Progress& journalGauge(JournalPages& pages, JournalKind kind) { return pages.gauge(kind); }

}  // namespace vmk
