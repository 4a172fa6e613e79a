#pragma once
// The statistics journal: the device's 22 counters (pickups and trips per
// stage, input transitions, reclosings, relay operations, hours in
// service), one register read each, into `grdStat`.

#include <QList>
#include <QString>
#include <cstdint>

#include "device/outcome.h"

namespace vmk {

class JobControl;
class Progress;
class Session;
class TextGrid;

struct StatCounter {
  int index = 0;  // 0..21: row `index`, counter `index` + 1
  QString name;   // StatCounterName(index)
  std::uint16_t value = 0;
};

struct StatReadResult {
  Outcome outcome = Outcome::Done;
  QList<StatCounter> counters;  // those read, in order
  int stoppedAt = -1;           // the counter not read; -1 when all were
};

// Reads counters 0..21 inside the reading frame (`bar` 0..21, one job step
// per counter): row i gets i + 1, the counter's name and its value as an
// unsigned number. A counter the device does not answer ends the reading;
// rows before it are updated, rows after it keep what they held.
StatReadResult readStatistics(Session& session, JobControl& jobs, Progress* bar, TextGrid& grdStat);

}  // namespace vmk
