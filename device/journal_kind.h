#pragma once
// The journals a device keeps. What the program knows of each - its page,
// vmkctl verb, grid, reader and JSON - is one row of journals/journal_kinds.h.

namespace vmk {

enum class JournalKind { Events, Stats, Alarms };

}  // namespace vmk
