#include "journals/alarm_list.h"

#include "device/codecs.h"
#include "device/device_client.h"
#include "extlib/registers.h"
#include "journals/journal_grids.h"
#include "journals/messages.h"
#include "journals/reading_frame.h"

namespace vmk {

namespace {

namespace m = msg::journals;

// Frame byte 4 of the list: its data bytes, ten per entry.
constexpr int kCountByte = 4;
constexpr int kEntryBytes = 10;
constexpr int kDataBytes = reg::kAlarmEntries * kEntryBytes;
// Frame byte 3, quoted by the receive error.
constexpr int kQuotedByte = 3;

}  // namespace

AlarmRow DecodeAlarmRow(const ReplyFrame& reply, int n, const SetupFields& setup, const QDate& today) {
  AlarmRow row;
  row.entry = n;
  const AlarmEntry entry = DecodeAlarmEntry(reply, n, today);
  // Valid digits that are no date and time record no fault either.
  row.valid = entry.valid && entry.when.isValid();
  if (!row.valid) return row;
  row.when = entry.when;
  row.phaseRatio = PhaseRatio(setup).value_or(1);
  row.earthRatio = EarthRatio(setup).value_or(1);
  return row;
}

QString receiveErrorText(const ReplyFrame& reply) {
  return m::kReceiveError + QString::number(reply.length()) + QLatin1Char('|') +
         QString::number(reply.frameByte(kQuotedByte));
}

AlarmReadResult readAlarmList(Session& session, JobControl& jobs, Progress* bar, const QDate& today,
                              const std::function<void(const AlarmRow&)>& shown) {
  AlarmReadResult result;
  const int last = journals::kAlarmRows - 1;
  ReadingFrame frame(session, jobs, bar, last);
  DeviceClient device(session, PortFailures::AsOutcome);
  const Result<ReplyFrame> list = device.readAlarmList();
  if (!list) {
    result.outcome = list.outcome;
    // A port failure quotes no reply: the link-error box says it.
    if (list.outcome != Outcome::PortFailure) result.error = receiveErrorText(device.lastReply());
    return result;
  }
  if (list.value.frameByte(kCountByte) != kDataBytes) {
    result.outcome = Outcome::BadReply;
    result.error = receiveErrorText(list.value);
    return result;
  }
  for (int n = 0; n <= last; ++n) {
    if (!frame.step(n)) {
      result.outcome = Outcome::Cancelled;
      return result;
    }
    const AlarmRow row = DecodeAlarmRow(list.value, n, session.vmk.setup, today);
    result.rows.append(row);
    if (shown) shown(row);
  }
  return result;
}

}  // namespace vmk
