#include "sim/device.h"

#include <cmath>

#include "extlib/charset.h"
#include "extlib/crc16.h"
#include "sim/bcd.h"
#include "sim/registers.h"

namespace vmk::sim {

namespace {

enum Function : std::uint8_t {
  kReadHolding = 0x03,
  kWriteCoil = 0x05,
  kWriteRegister = 0x06,
  kExceptionStatus = 0x07,
  kWriteMultiple = 0x10,
  kService = 0x18,
  kCalibrate = 0x19,
  kEvent = 0x41,
  kAlarmList = 0x42,
  kOscBlock = 0x43,
};

enum Exception : std::uint8_t { kIllegalFunction = 1, kIllegalAddress = 2, kIllegalValue = 3 };

constexpr std::uint16_t kCommandFirst = 0x3000;  // relays 1..5, acknowledge, recorder
constexpr std::uint16_t kAcknowledge = 0x3005;
constexpr std::uint16_t kRecorderStart = 0x3006;
constexpr int kMaxRead = 125;

bool isClock(int r) { return r >= reg::kClock && r < reg::kClock + 3; }
bool isStatistics(int r) { return r >= reg::kStatistics && r < reg::kStatistics + reg::kStatisticsCount; }
bool isLive(int r) { return r >= reg::kIa && r <= reg::kIo; }

bool isWritable(int r) {
  if (r >= 64 && r <= 223) return !isClock(r) && !isStatistics(r);
  return (r >= reg::kGroup1 && r < reg::kGroup1 + reg::kGroupSize) ||
         (r >= reg::kGroup2 && r < reg::kGroup2 + reg::kGroupSize);
}

std::uint16_t wordAt(const QByteArray& f, int offset) {
  return std::uint16_t((std::uint8_t(f[offset]) << 8) | std::uint8_t(f[offset + 1]));
}

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
  if (!m_powered || request.size() < 4) return {};
  m_requests.append(request);
  const std::uint8_t function = std::uint8_t(request[1]);
  const auto size = request.size();
  auto needs = [size](qsizetype n) { return size == n; };
  switch (function) {
    case kReadHolding:
      return needs(8) ? readRegisters(request) : QByteArray();
    case kWriteCoil:
      return needs(8) ? writeCoil(request) : QByteArray();
    case kWriteRegister:
      return needs(8) ? writeRegister(request) : QByteArray();
    case kExceptionStatus:
      return needs(4) ? reply(function, QByteArray(1, char(m_status))) : QByteArray();
    case kWriteMultiple:
      return size >= 9 && size == 9 + std::uint8_t(request[6]) ? writeClock(request) : QByteArray();
    case kService:
      return needs(9) ? service(request) : QByteArray();
    case kCalibrate:
      return needs(10) ? calibrate(request) : QByteArray();
    case kEvent:
      return needs(5) ? eventRecord(request) : QByteArray();
    case kAlarmList:
      return needs(4) ? alarmList(request) : QByteArray();
    case kOscBlock:
      return needs(7) ? oscillogramBlock(request) : QByteArray();
    default:
      return exception(function, kIllegalFunction);
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
  return reply(std::uint8_t(function | 0x80), QByteArray(1, char(code)));
}

// --- Standard functions ---------------------------------------------------

QByteArray Device::readRegisters(const QByteArray& req) {
  const int first = wordAt(req, 2);
  const int count = wordAt(req, 4);
  if (count < 1 || count > kMaxRead) return exception(kReadHolding, kIllegalValue);
  if (first + count > kRegisters) return exception(kReadHolding, kIllegalAddress);
  if (first <= reg::kClock + 2 && first + count > reg::kClock) refreshClock();
  if (first <= reg::kIo && first + count > reg::kIa) refreshLive();
  QByteArray data;
  data.reserve(1 + 2 * count);
  data.append(char(2 * count));
  for (int r = first; r < first + count; ++r) {
    data.append(char(m_regs[std::size_t(r)] >> 8));
    data.append(char(m_regs[std::size_t(r)] & 0xFF));
  }
  return reply(kReadHolding, data);
}

QByteArray Device::writeRegister(const QByteArray& req) {
  const int r = wordAt(req, 2);
  const std::uint16_t value = wordAt(req, 4);
  if (!isWritable(r)) return exception(kWriteRegister, kIllegalAddress);
  if (r == reg::kAddress && ((value & 0xFF) < 1 || (value & 0xFF) > 32))
    return exception(kWriteRegister, kIllegalValue);
  const std::uint16_t old = m_regs[std::size_t(r)];
  m_regs[std::size_t(r)] = value;
  if (r == reg::kActiveGroup && ((old ^ value) & 1)) logEvent(3, std::uint8_t(value & 1));
  return wire::withCrc(req.left(6));
}

QByteArray Device::writeCoil(const QByteArray& req) {
  const std::uint16_t code = wordAt(req, 2);
  const std::uint16_t value = wordAt(req, 4);
  if (code < kCommandFirst || code > kRecorderStart) return exception(kWriteCoil, kIllegalAddress);
  if (value != 0xFF00) return exception(kWriteCoil, kIllegalValue);
  const QDateTime now = deviceNow();
  if (code < kAcknowledge) {
    const int relay = code - kCommandFirst;  // 0..4
    // Contact times: relay 1 at 122, relays 2..5 at 124..127, in 10 ms.
    const int timeReg = relay == 0 ? reg::kContactTimes : reg::kContactTimes + 1 + relay;
    m_relayUntil[std::size_t(relay)] = m_source().addMSecs(qint64(m_regs[std::size_t(timeReg)]) * 10);
    std::uint16_t& counter = m_regs[std::size_t(reg::kStatistics + 16 + relay)];
    counter = std::uint16_t(counter + 1);
    logEvent(6, std::uint8_t(relay + 1));
  } else if (code == kAcknowledge) {
    for (int r = reg::kStageFlags; r <= reg::kReclosingFlag; ++r) m_regs[std::size_t(r)] = 0;
    logEvent(5, 1);
  } else if (m_variant != 3) {
    FaultScenario none;
    none.loadCurrent = int(std::lround(m_load[0]));
    m_recorder.record(now, none);
  }
  return wire::withCrc(req.left(6));
}

QByteArray Device::writeClock(const QByteArray& req) {
  const int first = wordAt(req, 2);
  const int count = wordAt(req, 4);
  const int bytes = std::uint8_t(req[6]);
  if (first != reg::kClock || count != 3) return exception(kWriteMultiple, kIllegalAddress);
  if (bytes != 6) return exception(kWriteMultiple, kIllegalValue);
  const auto moment = fromBcdStamp(req.mid(7, 6));
  if (!moment) return exception(kWriteMultiple, kIllegalValue);
  setClock(*moment);
  return wire::withCrc(req.left(6));
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
      case 0:
        m_regs[reg::kFactoryNumber] = argument;
        break;
      case 1:
        // The resource counter (hours in service) is not statistics.
        for (int i = 0; i < reg::kStatisticsCount - 1; ++i) m_regs[std::size_t(reg::kStatistics + i)] = 0;
        logEvent(4, 1);
        break;
      case 2:
        m_recorder.erase();
        break;
      case 3:
        m_journal.erase();
        break;
      case 4:
        if (argument == 0 || argument == 0xFFFF)
          m_calibration.setCalibrationMode(argument == 0);
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
  data.append(char(done ? 0 : 255));
  return reply(kService, data);
}

QByteArray Device::calibrate(const QByteArray& req) {
  return reply(kCalibrate, m_calibration.handle(req.mid(2, 6)));
}

QByteArray Device::eventRecord(const QByteArray& req) {
  if (m_variant == 3) return exception(kEvent, kIllegalFunction);
  const int index = std::uint8_t(req[2]);
  if (index >= EventJournal::kRecords) return exception(kEvent, kIllegalAddress);
  return reply(kEvent, m_journal.payload(index));
}

QByteArray Device::alarmList(const QByteArray&) {
  if (m_variant == 3) return exception(kAlarmList, kIllegalFunction);
  QByteArray data;
  data.append(char(0));
  data.append(char(Recorder::kEntries));
  data.append(char(Recorder::kEntries * 10));
  data.append(m_recorder.listPayload());
  return reply(kAlarmList, data);
}

QByteArray Device::oscillogramBlock(const QByteArray& req) {
  if (m_variant == 3) return exception(kOscBlock, kIllegalFunction);
  const int entry = std::uint8_t(req[2]);
  const int block = wordAt(req, 3);
  const QByteArray words = m_recorder.blockPayload(entry, block);
  if (words.isEmpty()) return exception(kOscBlock, kIllegalAddress);
  return reply(kOscBlock, QByteArray(1, char(words.size())) + words);
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
  for (int r = reg::kName; r < reg::kName + 5; ++r) {
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

QDateTime Device::deviceNow() const {
  if (!m_clockFrozen) return clock();
  QByteArray raw;
  for (int r = reg::kClock; r < reg::kClock + 3; ++r) {
    raw.append(char(m_regs[std::size_t(r)] >> 8));
    raw.append(char(m_regs[std::size_t(r)] & 0xFF));
  }
  return fromBcdStamp(raw).value_or(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
}

void Device::refreshClock() {
  if (m_clockFrozen) return;
  const QByteArray s = bcdStamp(clock());
  for (int i = 0; i < 3; ++i)
    m_regs[std::size_t(reg::kClock + i)] =
        std::uint16_t((std::uint8_t(s[2 * i]) << 8) | std::uint8_t(s[2 * i + 1]));
}

std::uint8_t Device::outputs() const {
  const QDateTime now = m_source();
  std::uint8_t bits = 0;
  for (int i = 0; i < 5; ++i)
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
  for (int i = 0; i < 4; ++i)
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
  if (a >= 1 && a <= 32) m_address = a;
  m_calibration.setCalibrationMode(false);
  m_relayUntil.fill(QDateTime());
  m_powered = true;
  logEvent(1);
}

}  // namespace vmk::sim
