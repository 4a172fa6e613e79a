#pragma once
// The journals a device keeps, and what the journals and their reports
// share. What the program knows of each journal - its page, vmkctl verb,
// grid, reader, renderer and report - is one row of journals/journal_kinds.h.

namespace vmk {

enum class JournalKind { Events, Stats, Alarms };

// A named value of a journal report for each row n: `name` + n holds the
// row's cells `first`..`last` joined (the events' "o" holds the twelve
// states).
struct JournalReportField {
  const char* name;
  int first;
  int last;
};

}  // namespace vmk
