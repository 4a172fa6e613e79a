#include "journals/statistics.h"

#include "device/codecs.h"
#include "device/device_client.h"
#include "extlib/registers.h"
#include "extlib/transport_error.h"
#include "journals/reading_frame.h"
#include "model/text_grid.h"

namespace vmk {

StatReadResult readStatistics(Session& session, JobControl& jobs, Progress* bar, TextGrid& grdStat) {
  StatReadResult result;
  const int last = reg::kStatistics.count - 1;
  ReadingFrame frame(session, jobs, bar, last);
  DeviceClient device(session);
  for (int i = 0; i <= last; ++i) {
    if (!frame.step(i)) {
      result.outcome = Outcome::Cancelled;
      result.stoppedAt = i;
      return result;
    }
    const std::uint16_t counter = std::uint16_t(reg::kStatistics.first + i);
    Result<RegisterWords> words;
    try {
      words = device.readRegisters(counter, 1);
    } catch (const TransportError&) {
      words.outcome = Outcome::PortFailure;
    }
    if (!words) {
      result.outcome = words.outcome;
      result.stoppedAt = i;
      return result;
    }
    StatCounter c{i, StatCounterName(i), words.value.at(counter)};
    grdStat.setCell(0, i, QString::number(i + 1));
    grdStat.setCell(1, i, c.name);
    grdStat.setCell(2, i, QString::number(c.value));
    result.counters.append(c);
  }
  return result;
}

}  // namespace vmk
