#include "sim/device.h"

#include <cmath>

#include "extlib/charset.h"
#include "extlib/crc16.h"
#include "extlib/wire_table.h"
#include "sim/bcd.h"

namespace vmk::sim {

namespace {

using wire::wordAt;

constexpr reg::Block kClockRegisters{reg::kClock, reg::kClockCount};
constexpr reg::Block kCurrents{reg::kIa, reg::kIo - reg::kIa + 1};

bool isClock(int r) { return kClockRegisters.contains(r); }
bool isStatistics(int r) { return reg::kStatistics.contains(r); }
bool isLive(int r) { return kCurrents.contains(r); }
// Whether a read of `count` registers from `first` takes in any of `b`.
bool overlaps(const reg::Block& b, int first, int count) {
  return first <= b.last() && first + count > b.first;
}

bool isWritable(int r) {
  if (r >= reg::kParamFirst && r <= reg::kParamLast) return !isClock(r) && !isStatistics(r);
  return reg::groupBlock(1).contains(r) || reg::groupBlock(2).contains(r);
}

bool isAddress(int a) { return a >= wire::kFirstAddress && a <= wire::kLastAddress; }

// The reply of functions 5, 6 and 16: address, function and the request's
// two words again.
QByteArray echo(const QByteArray& req) { return wire::withCrc(req.left(6)); }

}  // namespace

Device::Device(int address, int variant, std::uint64_t seed, ClockSource clock)
    : m_address(address),
      m_variant(variant),
      m_rng(seed * 0x100000001B3ull + std::uint64_t(address)),
      m_source(clock ? std::move(clock) : ClockSource([] { return QDateTime::currentDateTime(); })),
      m_calibration(variant, m_rng),
      m_recorder(seed * 131u + std::uint64_t(address)) {
  fillFactoryImage();
  if (m_variant != 3) fillHistory();
}

QByteArray Device::handle(const QByteArray& request) {
  if (!m_powered || request.size() < wire::kMinFrameLength) return {};
  m_requests.append(request);
  const QByteArray answer = dispatch(request);
  Q_ASSERT(answer.isEmpty() || answer.size() == wire::replyLength(request) ||
           ((std::uint8_t(answer[1]) & wire::kExceptionFlag) &&
            answer.size() == wire::kExceptionReplyLength));
  return answer;
}

QByteArray Device::dispatch(const QByteArray& request) {
  const std::uint8_t function = std::uint8_t(request[1]);
  // A request whose length does not fit its function gets silence.
  const bool whole = request.size() == wire::requestLength(request);
  switch (function) {
    case wire::kReadHolding:
      return whole ? readRegisters(request) : QByteArray();
    case wire::kWriteCoil:
      return whole ? writeCoil(request) : QByteArray();
    case wire::kWriteRegister:
      return whole ? writeRegister(request) : QByteArray();
    case wire::kReadStatus:
      return whole ? reply(function, QByteArray(1, char(m_status))) : QByteArray();
    case wire::kWriteMultiple:
      return whole ? writeClock(request) : QByteArray();
    case wire::kService:
      return whole ? service(request) : QByteArray();
    case wire::kCalibration:
      return whole ? calibrate(request) : QByteArray();
    case wire::kEventRecord:
      return whole ? eventRecord(request) : QByteArray();
    case wire::kAlarmList:
      return whole ? alarmList(request) : QByteArray();
    case wire::kOscBlock:
      return whole ? oscillogramBlock(request) : QByteArray();
    default:
      return exception(function, wire::kIllegalFunction);
  }
}

QByteArray Device::reply(std::uint8_t function, const QByteArray& data) const {
  QByteArray f;
  f.reserve(data.size() + 4);
  f.append(char(m_address));
  f.append(char(function));
  f.append(data);
  return wire::withCrc(f);
}

QByteArray Device::exception(std::uint8_t function, std::uint8_t code) const {
  return reply(std::uint8_t(function | wire::kExceptionFlag), QByteArray(1, char(code)));
}

// --- Standard functions ---------------------------------------------------

QByteArray Device::readRegisters(const QByteArray& req) {
  const int first = wordAt(req, 2);
  const int count = wordAt(req, 4);
  if (count < 1 || count > wire::kMaxReadCount) return exception(wire::kReadHolding, wire::kIllegalValue);
  if (first + count > kRegisters) return exception(wire::kReadHolding, wire::kIllegalAddress);
  if (overlaps(kClockRegisters, first, count)) refreshClock();
  if (overlaps(kCurrents, first, count)) refreshLive();
  QByteArray data;
  data.reserve(1 + 2 * count);
  data.append(char(2 * count));
  for (int r = first; r < first + count; ++r) {
    data.append(char(m_regs[std::size_t(r)] >> 8));
    data.append(char(m_regs[std::size_t(r)] & 0xFF));
  }
  return reply(wire::kReadHolding, data);
}

QByteArray Device::writeRegister(const QByteArray& req) {
  const int r = wordAt(req, 2);
  const std::uint16_t value = wordAt(req, 4);
  if (!isWritable(r)) return exception(wire::kWriteRegister, wire::kIllegalAddress);
  if (r == reg::kAddress && !isAddress(value & 0xFF))
    return exception(wire::kWriteRegister, wire::kIllegalValue);
  const std::uint16_t old = m_regs[std::size_t(r)];
  if (r == m_heldBack) return echo(req);
  m_regs[std::size_t(r)] = value;
  if (r == reg::kActiveGroup && ((old ^ value) & 1)) logEvent(event::kGroupChanged, std::uint8_t(value & 1));
  const QByteArray answer = echo(req);
  // The write of a new address is answered from the old one; from then on
  // the device listens at the new one.
  if (r == reg::kAddress) m_address = value & 0xFF;
  return answer;
}

QByteArray Device::writeCoil(const QByteArray& req) {
  const std::uint16_t code = wordAt(req, 2);
  const std::uint16_t value = wordAt(req, 4);
  if (code < reg::kCommandRelay1 || code > reg::kCommandRecorderStart)
    return exception(wire::kWriteCoil, wire::kIllegalAddress);
  if (value != reg::kCoilOn) return exception(wire::kWriteCoil, wire::kIllegalValue);
  const QDateTime now = deviceNow();
  if (code < reg::kCommandAcknowledge) {
    const int relay = code - reg::kCommandRelay1;  // 0..4
    // The contact time is in 10 ms.
    const int timeReg = reg::contactTimeRegister(relay + 1);
    m_relayUntil[std::size_t(relay)] = m_source().addMSecs(qint64(m_regs[std::size_t(timeReg)]) * 10);
    std::uint16_t& counter = m_regs[std::size_t(reg::kRelayCounters + relay)];
    counter = std::uint16_t(counter + 1);
    logEvent(event::kRemoteCommand, std::uint8_t(relay + 1));
  } else if (code == reg::kCommandAcknowledge) {
    for (int r = reg::kStageFlags; r <= reg::kReclosingFlag; ++r) m_regs[std::size_t(r)] = 0;
    logEvent(event::kAcknowledged, event::kOverTheLine);
  } else if (m_variant != 3) {
    FaultScenario none;
    none.loadCurrent = int(std::lround(m_load[0]));
    m_recorder.record(now, none);
  }
  return echo(req);
}

QByteArray Device::writeClock(const QByteArray& req) {
  const int first = wordAt(req, 2);
  const int count = wordAt(req, 4);
  const int bytes = std::uint8_t(req[6]);
  if (first != reg::kClock || count != reg::kClockCount)
    return exception(wire::kWriteMultiple, wire::kIllegalAddress);
  if (bytes != 2 * reg::kClockCount) return exception(wire::kWriteMultiple, wire::kIllegalValue);
  const auto moment = fromBcdStamp(req.mid(7, bytes));
  if (!moment) return exception(wire::kWriteMultiple, wire::kIllegalValue);
  setClock(*moment);
  return echo(req);
}

// --- Custom functions -----------------------------------------------------

std::uint16_t Device::accessCode(std::uint16_t nonce, std::uint16_t factoryNumber,
                                 std::uint16_t passwordWord) {
  return std::uint16_t(((nonce ^ factoryNumber) | passwordWord) + kAccessSalt);
}

std::uint16_t Device::expectedAccessCode() const {
  return accessCode(m_nonce, m_regs[reg::kFactoryNumber], m_regs[reg::kPassword]);
}

QByteArray Device::service(const QByteArray& req) {
  const std::uint8_t sub = std::uint8_t(req[2]);
  const std::uint16_t code = wordAt(req, 3);
  const std::uint16_t argument = wordAt(req, 5);
  bool done = code == expectedAccessCode();
  if (done) {
    switch (sub) {
      case reg::kServiceSerial:
        m_regs[reg::kFactoryNumber] = argument;
        break;
      case reg::kServiceClearStats:
        // The resource counter (hours in service) is not statistics.
        for (int r = reg::kStatistics.first; r < reg::kHoursInService; ++r) m_regs[std::size_t(r)] = 0;
        logEvent(event::kStatisticsCleared, event::kOverTheLine);
        break;
      case reg::kServiceEraseOsc:
        m_recorder.erase();
        break;
      case reg::kServiceEraseEvents:
        m_journal.erase();
        break;
      case reg::kServiceCalibration:
        if (argument == reg::kCalibrationEnter || argument == reg::kCalibrationLeave)
          m_calibration.setCalibrationMode(argument == reg::kCalibrationEnter);
        else
          done = false;
        break;
      default:
        done = false;
        break;
    }
  }
  // A new nonce in every reply, never the same twice running.
  std::uint16_t next;
  do next = std::uint16_t(m_rng.next()); while (next == m_nonce);
  m_nonce = next;
  QByteArray data;
  data.append(char(m_nonce >> 8));
  data.append(char(m_nonce & 0xFF));
  data.append(char(done ? reg::kServiceDone : reg::kServiceRefused));
  return reply(wire::kService, data);
}

QByteArray Device::calibrate(const QByteArray& req) {
  return reply(wire::kCalibration, m_calibration.handle(req.mid(2, 6)));
}

QByteArray Device::eventRecord(const QByteArray& req) {
  if (m_variant == 3) return exception(wire::kEventRecord, wire::kIllegalFunction);
  const int index = std::uint8_t(req[2]);
  if (index >= EventJournal::kRecords) return exception(wire::kEventRecord, wire::kIllegalAddress);
  return reply(wire::kEventRecord, m_journal.payload(index));
}

QByteArray Device::alarmList(const QByteArray&) {
  if (m_variant == 3) return exception(wire::kAlarmList, wire::kIllegalFunction);
  QByteArray data;
  data.append(char(0));
  data.append(char(Recorder::kEntries));
  data.append(char(Recorder::kEntries * 10));
  data.append(m_recorder.listPayload());
  return reply(wire::kAlarmList, data);
}

QByteArray Device::oscillogramBlock(const QByteArray& req) {
  if (m_variant == 3) return exception(wire::kOscBlock, wire::kIllegalFunction);
  const int entry = std::uint8_t(req[2]);
  const int block = wordAt(req, 3);
  const QByteArray words = m_recorder.blockPayload(entry, block);
  if (words.isEmpty()) return exception(wire::kOscBlock, wire::kIllegalAddress);
  return reply(wire::kOscBlock, QByteArray(1, char(words.size())) + words);
}

// --- Image ----------------------------------------------------------------

std::uint16_t Device::registerValue(int r) {
  if (r < 0 || r >= kRegisters) return 0;
  if (isClock(r)) refreshClock();
  if (isLive(r)) refreshLive();
  return m_regs[std::size_t(r)];
}

void Device::setRegister(int r, std::uint16_t value) {
  if (r < 0 || r >= kRegisters) return;
  if (isClock(r) && !m_clockFrozen) {
    refreshClock();
    m_clockFrozen = true;
  }
  m_regs[std::size_t(r)] = value;
  if (isLive(r)) m_pinned.set(std::size_t(r));
}

QString Device::name() const {
  QByteArray bytes;
  for (int r = reg::kName; r < reg::kName + reg::kNameCount; ++r) {
    bytes.append(char(m_regs[std::size_t(r)] >> 8));
    bytes.append(char(m_regs[std::size_t(r)] & 0xFF));
  }
  return cp1251::decode(bytes);
}

QDateTime Device::clock() const { return m_source().addMSecs(m_clockOffsetMs); }

void Device::setClock(const QDateTime& moment) {
  m_clockOffsetMs = m_source().msecsTo(moment);
  m_clockFrozen = false;
}

void Device::unsetClock() {
  for (int r = kClockRegisters.first; r <= kClockRegisters.last(); ++r) setRegister(r, 0);
}

QDateTime Device::deviceNow() const {
  if (!m_clockFrozen) return clock();
  QByteArray raw;
  for (int r = kClockRegisters.first; r <= kClockRegisters.last(); ++r) {
    raw.append(char(m_regs[std::size_t(r)] >> 8));
    raw.append(char(m_regs[std::size_t(r)] & 0xFF));
  }
  return fromBcdStamp(raw).value_or(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
}

void Device::refreshClock() {
  if (m_clockFrozen) return;
  const QByteArray s = bcdStamp(clock());
  for (int i = 0; i < reg::kClockCount; ++i)
    m_regs[std::size_t(reg::kClock + i)] =
        std::uint16_t((std::uint8_t(s[2 * i]) << 8) | std::uint8_t(s[2 * i + 1]));
}

std::uint8_t Device::outputs() const {
  const QDateTime now = m_source();
  std::uint8_t bits = 0;
  for (int i = 0; i < reg::kRelayCount; ++i)
    if (m_relayUntil[std::size_t(i)].isValid() && now < m_relayUntil[std::size_t(i)]) bits |= std::uint8_t(1u << i);
  return bits;
}

void Device::refreshLive() {
  // Load currents wander by a fraction of a percent between reads.
  static constexpr double kBase[4] = {250.0, 246.0, 254.0, 12.0};
  for (int i = 0; i < 4; ++i) {
    double& v = m_load[std::size_t(i)];
    if (v <= 0) v = kBase[i];
    v += (m_rng.unit() - 0.5) * (i == 3 ? 1.0 : 3.0);
    v += (kBase[i] - v) * 0.05;
  }
  std::array<int, 4> shown{};
  if (m_calibration.calibrationMode()) {
    if (m_variant == 3) {
      const bool up = m_calibration.upperRange();
      shown = {m_calibration.measureInjection(up ? 5 : 1), 0, m_calibration.measureInjection(up ? 7 : 3), 0};
    } else {
      for (int i = 0; i < 4; ++i) shown[std::size_t(i)] = m_calibration.measureInjection(i + 1);
    }
  } else {
    for (int i = 0; i < 4; ++i) {
      const double v = m_load[std::size_t(i)];
      // Above 10 A (1000 mA for Io) the upper range measures.
      const int point = (v > 1000 ? 5 : 1) + i;
      shown[std::size_t(i)] = m_calibration.measure(point, v);
    }
  }
  for (int i = 0; i < kCurrents.count; ++i)
    if (!m_pinned.test(std::size_t(reg::kIa + i))) m_regs[std::size_t(reg::kIa + i)] = std::uint16_t(shown[std::size_t(i)]);
}

void Device::logEvent(std::uint8_t code, std::uint8_t sub, std::uint16_t value) {
  if (m_variant == 3) return;
  const QDateTime now = deviceNow();
  EventRecord r;
  r.erased = false;
  r.when = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
  r.hundredths = now.time().msec() / 10;
  r.code = code;
  r.sub = sub;
  r.value = value;
  r.outputs = outputs();
  r.inputs = std::uint8_t(m_regs[reg::kInputs] & 0x3F);
  m_journal.append(r);
}

void Device::restart() {
  const int a = m_regs[reg::kAddress] & 0xFF;
  if (isAddress(a)) m_address = a;
  m_calibration.setCalibrationMode(false);
  m_relayUntil.fill(QDateTime());
  m_powered = true;
  logEvent(event::kPowerUp);
}

}  // namespace vmk::sim
