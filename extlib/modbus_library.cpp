#include "extlib/modbus_library.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <algorithm>
#include <vector>

#include "extlib/crc16.h"
#include "extlib/frame_log.h"
#include "extlib/frame_observer.h"
#include "extlib/registers.h"
#include "extlib/wire_table.h"

namespace vmk {

namespace {

using wire::kExceptionFlag;
constexpr int kExceptionLength = wire::kExceptionReplyLength;
// Bytes kept while looking for the reply among garbage.
constexpr int kMaxPending = 1024;

// Where the reply lies in the bytes received so far.
struct Scan {
  ReplyStatus found = ReplyStatus::NoAnswer;  // Ok or Exception when complete
  qsizetype start = -1;                         // of the complete reply
  qsizetype length = 0;
  qsizetype candidate = -1;  // first start with our address and function
  qsizetype missing = 0;     // bytes that candidate still lacks
};

Scan scan(const QByteArray& in, std::uint8_t address, std::uint8_t function, int replyLength) {
  Scan s;
  for (qsizetype i = 0; i + 1 < in.size(); ++i) {
    if (std::uint8_t(in[i]) != address) continue;
    const auto f = std::uint8_t(in[i + 1]);
    int length = 0;
    if (f == function) length = replyLength;
    else if (f == (function | kExceptionFlag)) length = kExceptionLength;
    else continue;
    const qsizetype have = in.size() - i;
    if (s.candidate < 0) {
      s.candidate = i;
      s.missing = std::max<qsizetype>(0, length - have);
    }
    if (have >= length && wire::hasValidCrc(in.mid(i, length))) {
      // A device answers each request once: of two whole replies that have
      // arrived, the first was late for an earlier request (it left before
      // this request was sent), the last is this request's.
      s.found = f == function ? ReplyStatus::Ok : ReplyStatus::Exception;
      s.start = i;
      s.length = length;
      i += length - 1;
    }
  }
  return s;
}

// Why the bytes received hold no reply.
ReplyStatus diagnose(const QByteArray& in, const Scan& s, std::uint8_t address,
                     std::uint8_t function) {
  if (in.isEmpty()) return ReplyStatus::NoAnswer;
  if (s.candidate >= 0) return s.missing > 0 ? ReplyStatus::Truncated : ReplyStatus::BadCrc;
  if (std::uint8_t(in[0]) == address) return in.size() < 2 ? ReplyStatus::Truncated
                                                           : ReplyStatus::WrongFunction;
  if (in.size() >= 2 && (std::uint8_t(in[1]) & ~kExceptionFlag) == function)
    return ReplyStatus::WrongAddress;
  return ReplyStatus::BadCrc;
}

QByteArray header(std::uint8_t address, std::uint8_t function) {
  QByteArray frame;
  frame.append(char(address));
  frame.append(char(function));
  return frame;
}

char bcd(int value) { return char(((value / 10) % 10) << 4 | (value % 10)); }

// The observers of every library, by library. Everything runs on one
// thread; while the list is empty and the log is off an exchange builds
// nothing for them.
struct Observing {
  const ModbusLibrary* library;
  FrameObserver* observer;
};
std::vector<Observing>& observing() {
  static std::vector<Observing> list;
  return list;
}

bool observed(const ModbusLibrary* library) {
  const auto& list = observing();
  if (list.empty()) return frameLogOn();
  return frameLogOn() || std::any_of(list.begin(), list.end(),
                                     [library](const Observing& o) { return o.library == library; });
}

void report(const ModbusLibrary* library, const WireFrame& frame) {
  logFrame(frame);
  // A copy: an observer may remove itself while it is told.
  const std::vector<Observing> list = observing();
  for (const Observing& o : list)
    if (o.library == library) o.observer->frameSeen(frame);
}

}  // namespace

void addFrameObserver(ModbusLibrary& library, FrameObserver* observer) {
  auto& list = observing();
  if (!observer || std::any_of(list.begin(), list.end(), [&](const Observing& o) {
        return o.library == &library && o.observer == observer;
      }))
    return;
  list.push_back({&library, observer});
}

void removeFrameObserver(ModbusLibrary& library, FrameObserver* observer) {
  auto& list = observing();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const Observing& o) {
                              return o.library == &library && o.observer == observer;
                            }),
             list.end());
}

int ModbusLibrary::SetTry(int value) {
  m_try = std::clamp(value, timing::kMinTry, timing::kMaxTry);
  return m_try;
}

ReplyStatus ModbusLibrary::exchange(SerialLink& port, const QByteArray& request,
                                    ReplyFrame& reply) {
  reply.clear();
  const int replyLength = wire::replyLength(request);
  const auto address = std::uint8_t(request[0]);
  const auto function = std::uint8_t(request[1]);
  const QByteArray frame = wire::withCrc(request);

  port.discardInput();
  const bool watched = observed(this);
  WireFrame seen;
  if (watched) {
    seen.atMs = QDateTime::currentMSecsSinceEpoch();
    seen.bytes = frame;
    seen.address = address;
    seen.function = function;
    report(this, seen);
  }
  port.write(frame);

  const int byteTime = port.byteTimeUs();
  QElapsedTimer clock;
  clock.start();
  qint64 deadline = timing::firstByteTimeoutMs(m_try);
  if (port.holdsWholeReplies())
    deadline += timing::heldReplyMs(std::max(replyLength, kExceptionLength), byteTime);
  qint64 hardDeadline = -1;
  QByteArray in;
  Scan s;
  qint64 lastArrival = 0;
  qint64 lastArrivalUs = -1;
  for (;;) {
    s = scan(in, address, function, replyLength);
    if (s.found != ReplyStatus::NoAnswer) break;
    if (!in.isEmpty()) {
      // The rest of the reply (all of it while none has started) must
      // follow the last bytes at the line rate.
      const qsizetype missing = s.candidate >= 0 ? s.missing : replyLength;
      deadline = std::min(hardDeadline, lastArrival + timing::restOfReplyMs(int(missing), byteTime));
    }
    const qint64 remaining = deadline - clock.elapsed();
    if (remaining <= 0) {
      // The program may have been held up past the deadline while the
      // reply arrived: take what is already there before giving up.
      const QByteArray late = port.read(0);
      if (late.isEmpty()) break;
      lastArrivalUs = clock.nsecsElapsed() / 1000;
      in += late;
      if (in.size() > kMaxPending) in = in.right(kMaxPending);
      s = scan(in, address, function, replyLength);
      break;
    }
    const QByteArray chunk = port.read(int(remaining));
    if (chunk.isEmpty()) continue;
    lastArrivalUs = clock.nsecsElapsed() / 1000;
    lastArrival = lastArrivalUs / 1000;
    if (hardDeadline < 0) {
      // Room for the whole reply behind as much garbage as we keep, so that
      // a babbling line cannot hold the exchange for ever.
      hardDeadline = lastArrival + timing::restOfReplyMs(replyLength + kMaxPending, byteTime);
    }
    in += chunk;
    if (in.size() > kMaxPending) in = in.right(kMaxPending);
  }

  ReplyStatus status = s.found;
  if (status == ReplyStatus::Ok || status == ReplyStatus::Exception) {
    reply.assign(in.mid(s.start, s.length));
  } else {
    status = diagnose(in, s, address, function);
  }
  m_lastStatus = status;
  if (watched) {
    seen.direction = FrameDirection::Reply;
    seen.atMs = QDateTime::currentMSecsSinceEpoch();
    seen.bytes = reply.length() > 0 ? reply.frame() : in;
    seen.status = status;
    seen.responseUs = lastArrivalUs;
    report(this, seen);
  }
  return status;
}

int ModbusLibrary::GetF07(SerialLink& port, std::uint8_t address) {
  ReplyFrame reply;
  if (exchange(port, header(address, wire::kReadStatus), reply) != ReplyStatus::Ok) return kNoAnswer;
  return reply.frameByte(2);
}

void ModbusLibrary::SetQuery(SerialLink& port, std::uint8_t address, std::uint8_t function,
                             std::uint16_t first, std::uint16_t count, ReplyFrame& reply) {
  QByteArray request = header(address, function);
  wire::appendWord(request, first);
  wire::appendWord(request, count);
  exchange(port, request, reply);
}

void ModbusLibrary::WriteWord(SerialLink& port, std::uint8_t address, std::uint16_t reg,
                              std::uint16_t value, ReplyFrame& reply) {
  QByteArray request = header(address, wire::kWriteRegister);
  wire::appendWord(request, reg);
  wire::appendWord(request, value);
  // A refused write must not look written to a caller that tests for a
  // non-empty reply.
  if (exchange(port, request, reply) == ReplyStatus::Exception) reply.clear();
}

void ModbusLibrary::SendCommand(SerialLink& port, std::uint8_t address, std::uint16_t code,
                                ReplyFrame& reply) {
  QByteArray request = header(address, wire::kWriteCoil);
  wire::appendWord(request, code);
  wire::appendWord(request, reg::kCoilOn);
  exchange(port, request, reply);
}

bool ModbusLibrary::SetRealDateTime(SerialLink& port, std::uint8_t address,
                                    const QDateTime& moment) {
  if (!moment.isValid()) return false;
  const QDate d = moment.date();
  const QTime t = moment.time();
  QByteArray request = header(address, wire::kWriteMultiple);
  wire::appendWord(request, reg::kClock);
  wire::appendWord(request, reg::kClockCount);
  request.append(char(2 * reg::kClockCount));
  request.append(bcd(d.year() % 100)).append(bcd(d.month())).append(bcd(d.day()));
  request.append(bcd(t.hour())).append(bcd(t.minute())).append(bcd(t.second()));
  ReplyFrame reply;
  if (exchange(port, request, reply) != ReplyStatus::Ok) return false;
  // The device echoes the first register and the count.
  return reply.frame().mid(2, 4) == request.mid(2, 4);
}

void ModbusLibrary::func18h(SerialLink& port, std::uint8_t address, std::uint8_t sub,
                            std::uint16_t code, std::uint16_t argument, ReplyFrame& reply) {
  QByteArray request = header(address, wire::kService);
  request.append(char(sub));
  wire::appendWord(request, code);
  wire::appendWord(request, argument);
  // The callers read frame byte 4 == 255 as "refused": an exception frame
  // would put a CRC byte there.
  if (exchange(port, request, reply) == ReplyStatus::Exception) reply.clear();
}

void ModbusLibrary::func19h(SerialLink& port, std::uint8_t address, std::uint8_t sub,
                            std::uint8_t a1, std::uint8_t a2, std::uint8_t a3, std::uint8_t a4,
                            std::uint8_t a5, ReplyFrame& reply) {
  QByteArray request = header(address, wire::kCalibration);
  for (std::uint8_t b : {sub, a1, a2, a3, a4, a5}) request.append(char(b));
  exchange(port, request, reply);
}

void ModbusLibrary::func1903h(SerialLink& port, std::uint8_t address, std::uint8_t sub,
                              std::uint8_t slot, std::uint8_t coefficient, std::uint8_t zero,
                              ReplyFrame& reply) {
  // Calibration sub-function 3 with the variant-3 layout: sub (7), slot,
  // coefficient, zero, 0.
  func19h(port, address, 3, sub, slot, coefficient, zero, 0, reply);
}

void ModbusLibrary::GetEvent(SerialLink& port, std::uint8_t address, std::uint8_t index,
                             ReplyFrame& reply) {
  QByteArray request = header(address, wire::kEventRecord);
  request.append(char(index));
  exchange(port, request, reply);
}

void ModbusLibrary::Getinterruption(SerialLink& port, std::uint8_t address, ReplyFrame& reply) {
  exchange(port, header(address, wire::kAlarmList), reply);
}

void ModbusLibrary::GetBLockInterruption(SerialLink& port, std::uint8_t address,
                                         std::uint8_t entry, std::uint16_t block,
                                         ReplyFrame& reply) {
  QByteArray request = header(address, wire::kOscBlock);
  request.append(char(entry));
  wire::appendWord(request, block);
  exchange(port, request, reply);
}

std::uint32_t ModbusLibrary::BinToInt(const QString& bits) {
  std::uint32_t value = 0;
  const qsizetype size = bits.size();
  for (qsizetype i = 0; i < size && i < 32; ++i)
    if (bits[size - 1 - i] == QLatin1Char('1')) value |= 1u << i;
  return value;
}

}  // namespace vmk
