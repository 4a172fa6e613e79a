#pragma once
// The journals as typed JSON: an event record, a statistics counter, an
// alarm entry. vmkctl's --json and the batch extraction's files use them.

#include <QJsonObject>

#include "journals/alarm_list.h"
#include "journals/event_journal.h"
#include "journals/statistics.h"

namespace vmk::journals {

// Number, code, ISO 8601 stamp (or null), texts, primary current, the
// output and input states as booleans, and the row's cells.
QJsonObject eventJson(const EventEntry& e);
// Number (from 1), name and value.
QJsonObject counterJson(const StatCounter& c);
// Entry, whether a fault is recorded, its ISO 8601 time and the ratios
// (null for an entry without a record).
QJsonObject alarmJson(const AlarmRow& r);

}  // namespace vmk::journals
