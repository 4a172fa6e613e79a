#pragma once
// The statistics journal: the device's 22 counters (pickups and trips per
// stage, input transitions, reclosings, relay operations, hours in
// service), one register read each.

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

#include "device/outcome.h"

namespace vmk {

class JobControl;
class Progress;
class Session;

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
// per counter), handing each to `shown` (may be empty) as it arrives. A
// counter the device does not answer ends the reading; the counters before
// it are kept.
StatReadResult readStatistics(Session& session, JobControl& jobs, Progress* bar,
                              const std::function<void(const StatCounter&)>& shown = {});

}  // namespace vmk
