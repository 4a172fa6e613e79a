#include "journals/event_journal.h"

#include <array>

#include "device/codecs.h"
#include "device/device_client.h"
#include "extlib/registers.h"
#include "journals/messages.h"
#include "journals/reading_frame.h"
#include "model/time_formats.h"

namespace vmk {

namespace {

namespace m = msg::journals;

// Frame bytes of an event reply.
constexpr int kNumberByte = 2;
constexpr int kStampByte = 4;  // 4..9: YY MM DD hh mm ss, BCD
constexpr int kCodeByte = 10;
constexpr int kHundredthsByte = 11;
constexpr int kSubCodeByte = 12;
constexpr int kValueByte = 13;  // 13, 14: high byte first
constexpr int kOutputsByte = 16;
constexpr int kInputsByte = 17;

// A stamp byte that is not BCD makes all six values and the hundredths this.
constexpr int kUndefinedField = 255;
// The first code without an event.
constexpr int kFirstEmptyCode = 50;
// From this value on a phase fault is beyond the device's range.
constexpr int kPhaseRangeEnd = 20000;
constexpr int kPhaseRangeAmperes = 200;  // x the phase ratio

// Exact milliamperes as "%.3f" with the locale's separator.
QString milliampText(std::int64_t milliamps, const QLocale& locale) {
  return QString::number(milliamps / 1000) + locale.decimalPoint() +
         QStringLiteral("%1").arg(milliamps % 1000, 3, 10, QLatin1Char('0'));
}

bool isFaultCode(int code) { return code >= 16 && code <= 23; }

}  // namespace

EventTexts FaultText(int subCode, int value, const SetupFields& setup, const QLocale& locale) {
  const QString a = subCode & 1 ? QStringLiteral("A ") : QString();
  const QString b = subCode & 2 ? QStringLiteral("B ") : QString();
  const QString c = subCode & 4 ? QStringLiteral("C ") : QString();
  const bool earth = (subCode & 7) == 0;
  const QString n = earth ? QStringLiteral("N ") : QString();

  EventTexts t;
  FaultCurrent current;
  if (earth) {
    // value / 1000 x ratio amperes: value x ratio milliamperes.
    const std::int64_t ratio = EarthRatio(setup).value_or(1);
    current.milliamps = std::int64_t(value) * ratio;
    t.info = m::kFaultCurrent.arg(a, b, c, n, milliampText(current.milliamps, locale));
  } else {
    const std::int64_t ratio = PhaseRatio(setup).value_or(1);
    if (value >= kPhaseRangeEnd) {
      current.above = true;
      current.milliamps = ratio * kPhaseRangeAmperes * 1000;
      t.info = m::kFaultAbove.arg(a, b, c, n, QString::number(ratio * kPhaseRangeAmperes));
    } else {
      // value / 100 x ratio amperes: value x ratio x 10 milliamperes.
      current.milliamps = std::int64_t(value) * ratio * 10;
      t.info = m::kFaultCurrent.arg(a, b, c, n, milliampText(current.milliamps, locale));
    }
  }
  t.current = current;
  return t;
}

EventTexts EventText(int code, int subCode, int value, const SetupFields& setup,
                     const QLocale& locale) {
  if (isFaultCode(code)) {
    static const std::array<const QString*, 8> names{&m::kMtz1Pickup, &m::kMtz2Pickup,
                                                     &m::kMtz3Pickup, &m::kMtz1Trip,
                                                     &m::kMtz2Trip,   &m::kMtz3Trip,
                                                     &m::kZnzPickup,  &m::kZnzTrip};
    EventTexts t = FaultText(subCode, value, setup, locale);
    t.name = *names[std::size_t(code - 16)];
    return t;
  }
  EventTexts t;
  switch (code) {
    case 1:
    case 2:
      t.name = m::kPowerUp;
      break;
    case 3:
      t.name = m::kGroupChange;
      t.info = m::kGroupInfo.arg(subCode + 1);
      break;
    case 4:
      t.name = m::kStatisticsReset;
      if (subCode == 0) t.info = m::kLocalReset;
      else if (subCode == 1) t.info = m::kRemoteReset;
      break;
    case 5: {
      t.name = m::kAcknowledge;
      const std::array<const QString*, 4> how{&m::kAckLocal, &m::kAckRs485, &m::kAckInput,
                                              &m::kAckRs232};
      if (subCode >= 0 && subCode < int(how.size())) t.info = *how[std::size_t(subCode)];
      break;
    }
    case 6:
      t.name = m::kRemoteCommand;
      t.info = m::kRelayInfo.arg(subCode);
      break;
    case 7:
      t.name = m::kReclosing;
      break;
    case 8:
      t.name = m::kReclosingFailed;
      break;
    case 24:
      t.name = m::kBreakerFailure;
      break;
    case 32:
      t.name = m::kSettingsChanged;
      break;
    case 48:
      t.name = m::kInputChanged;
      break;
    case 49:
      t.name = m::kOutputChanged;
      break;
    default:
      if (code >= 9 && code <= 15) t.name = m::kReserve;
      break;  // 25..31, 33..47 and the codes without an event: no texts
  }
  return t;
}

QString eventStampText(const QDateTime& stamp, int hundredths) {
  // The program's short date format with "/" between its parts, and its
  // long time format with ":".
  static const QString dateFormat = QString::fromLatin1(kShortDateFormat).replace(QLatin1Char('.'), QLatin1Char('/'));
  static const QString timeFormat = QString::fromLatin1(kLongTimeFormat);
  QString text = stamp.date().toString(dateFormat);
  if (stamp.time() != QTime(0, 0)) text += QLatin1Char(' ') + stamp.time().toString(timeFormat);
  // The digits after the separator of hundredths / 100 with three decimals.
  const int fraction = (hundredths < 0 ? 0 : hundredths % 100) * 10;
  return text + QLatin1Char('.') + QStringLiteral("%1").arg(fraction, 3, 10, QLatin1Char('0'));
}

EventEntry DecodeEventRecord(const ReplyFrame& reply, const SetupFields& setup, const QDate& today,
                             const QLocale& locale) {
  EventEntry e;
  e.record = reply.frameByte(kNumberByte);
  e.code = reply.frameByte(kCodeByte);
  e.hundredths = reply.frameByte(kHundredthsByte);
  e.subCode = reply.frameByte(kSubCodeByte);
  e.value = reply.frameByte(kValueByte) << 8 | reply.frameByte(kValueByte + 1);
  e.outputs = reply.frameByte(kOutputsByte);
  e.inputs = reply.frameByte(kInputsByte);

  std::array<int, 6> stamp{};
  bool bcd = true;
  for (int i = 0; i < 6; ++i) {
    const std::optional<int> v = DecodeBcd(reply.frameByte(kStampByte + i));
    if (!v) bcd = false;
    stamp[std::size_t(i)] = v.value_or(0);
  }
  if (!bcd) {
    stamp.fill(kUndefinedField);
    e.hundredths = kUndefinedField;
  }

  e.noEvent = e.code == 0 || e.code >= kFirstEmptyCode;
  if (e.noEvent) return e;
  // Valid digits that are no calendar date (month 0, 31 February) stand
  // for no moment either. Any two-digit year counts, placed in the hundred
  // years around today: a cut-off at a fixed year would show every event
  // of a device whose clock has passed it as undefined.
  if (stamp[0] != kUndefinedField)
    e.stamp = MakeDeviceDateTime(stamp[0], stamp[1], stamp[2], stamp[3], stamp[4], stamp[5], today);
  e.texts = EventText(e.code, e.subCode, e.value, setup, locale);
  return e;
}

EventReadResult readEventJournal(Session& session, JobControl& jobs, Progress* bar, const QDate& today,
                                 const QLocale& locale, const std::function<void(const EventEntry&)>& shown) {
  EventReadResult result;
  const int last = reg::kEventRecords - 1;
  ReadingFrame frame(session, jobs, bar, last);
  DeviceClient device(session, PortFailures::AsOutcome);
  for (int i = 0; i <= last; ++i) {
    if (!frame.step(i)) {
      result.outcome = Outcome::Cancelled;
      result.stoppedAt = i;
      return result;
    }
    const Result<ReplyFrame> reply = device.readEventRecord(std::uint8_t(i));
    if (!reply) {
      result.outcome = reply.outcome;
      result.stoppedAt = i;
      return result;
    }
    const EventEntry entry = DecodeEventRecord(reply.value, session.vmk.setup, today, locale);
    // A number beyond the journal's rows names no row: it is not shown.
    if (entry.record < 0 || entry.record >= reg::kEventRecords) continue;
    result.records.append(entry);
    if (shown) shown(entry);
  }
  return result;
}

}  // namespace vmk
