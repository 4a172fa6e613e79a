#include "journals/statistics.h"

#include "device/codecs.h"
#include "device/device_client.h"
#include "extlib/registers.h"
#include "journals/reading_frame.h"

namespace vmk {

StatReadResult readStatistics(Session& session, JobControl& jobs, Progress* bar,
                              const std::function<void(const StatCounter&)>& shown) {
  StatReadResult result;
  const int last = reg::kStatistics.count - 1;
  ReadingFrame frame(session, jobs, bar, last);
  DeviceClient device(session, PortFailures::AsOutcome);
  for (int i = 0; i <= last; ++i) {
    if (!frame.step(i)) {
      result.outcome = Outcome::Cancelled;
      result.stoppedAt = i;
      return result;
    }
    const std::uint16_t counter = std::uint16_t(reg::kStatistics.first + i);
    const Result<RegisterWords> words = device.readRegisters(counter, 1);
    if (!words) {
      result.outcome = words.outcome;
      result.stoppedAt = i;
      return result;
    }
    const StatCounter c{i, StatCounterName(i), words.value.at(counter)};
    result.counters.append(c);
    if (shown) shown(c);
  }
  return result;
}

}  // namespace vmk
