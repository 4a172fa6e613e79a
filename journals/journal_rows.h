#pragma once
// One renderer per journal: a record read from the device becomes the row
// the page's grid, the CSV, the JSON's "cells", the report and the batch
// show, and the typed JSON of vmkctl --json and the batch. The records stay
// the truth; these rows are only their view.

#include <QJsonObject>
#include <QStringList>

#include "journals/alarm_list.h"
#include "journals/event_journal.h"
#include "journals/statistics.h"

namespace vmk {

class TextGrid;

// A journal row as its grid shows it: `cells` from column 0 on; the grid's
// columns after them keep what they hold (an alarm entry without a fault
// leaves its ratios as they were).
struct JournalRow {
  int row = 0;
  QStringList cells;
};

// The record's row (its own number names it): "n.", the date and time with
// thousandths, the event, its information and the twelve output and input
// states; a record without an event says "Нет события" and nothing else.
JournalRow eventRow(const EventEntry& entry);
// Number, name and value as an unsigned number.
JournalRow counterRow(const StatCounter& counter);
// A fault: its date and time (the time left out at midnight), "Запись
// аварии n+1", n and the two ratios; an entry without one "Нет данных", an
// empty column 1 and "-1".
JournalRow alarmRow(const AlarmRow& alarm);

// Writes the row into `grid`; a row outside it is not shown (false).
bool showRow(TextGrid& grid, const JournalRow& row);
// The row's cells, empty ones added up to `columns`, for a table that has no
// earlier contents to keep.
QStringList tableCells(const JournalRow& row, int columns);

namespace journals {

// A record as JSON: an event's number, code, ISO 8601 stamp with
// hundredths, texts, sub-code, value, primary fault current, states and
// cells; a counter's number, name and value; an alarm entry's number,
// whether a fault is recorded, its time and the ratios.
QJsonObject eventJson(const EventEntry& e);
QJsonObject counterJson(const StatCounter& c);
QJsonObject alarmJson(const AlarmRow& r);

}  // namespace journals

}  // namespace vmk
