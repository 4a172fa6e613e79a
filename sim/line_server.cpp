#include "sim/line_server.h"

#include <algorithm>
#include <cstdio>

#include "extlib/crc16.h"
#include "extlib/mbap.h"
#include "extlib/wire_table.h"

namespace vmk::sim {

namespace {

void logFrame(const char* dir, const QByteArray& frame) {
  std::fprintf(stderr, "%s %s\n", dir, frame.toHex(' ').constData());
}

// The first offset after 0 where a whole request of known length with a
// good CRC lies in `buffer`; 0 when there is none.
qsizetype wholeFrameAfter(const QByteArray& buffer) {
  for (qsizetype at = 1; at + wire::kMinFrameLength <= buffer.size(); ++at) {
    const QByteArray rest = buffer.mid(at);
    const int length = wire::requestLength(rest);
    if (length > 0 && rest.size() >= length && wire::hasValidCrc(rest.left(length))) return at;
  }
  return 0;
}

}  // namespace

void LineServer::dropNoise(QByteArray& buffer, qsizetype count) {
  if (m_options.verbose) logFrame("?", buffer.left(count));
  buffer.remove(0, count);
}

LineServer::LineServer(Bus& bus, FaultInjector& faults, const Options& options)
    : m_bus(bus), m_faults(faults), m_options(options),
      m_byteUs(10'000'000 / std::max(options.baud, 1)) {}

std::int64_t LineServer::gapUs() const { return std::max<std::int64_t>(m_byteUs * 35 / 10, std::int64_t(10000)); }

int LineServer::serve(Stream& line, const volatile std::sig_atomic_t& stop) {
  QByteArray buffer;
  std::int64_t firstUs = 0;  // arrival of the first byte in the buffer
  std::int64_t lastUs = 0;   // arrival of the last byte
  char chunk[512];
  while (!stop) {
    int timeoutMs = -1;
    if (!buffer.isEmpty()) {
      const std::int64_t left = lastUs + gapUs() - monotonicUs();
      timeoutMs = int(std::max<std::int64_t>(0, (left + 999) / 1000));
    }
    const Stream::Wait w = line.wait(timeoutMs);
    if (w == Stream::Wait::Stopped || stop) break;
    if (w == Stream::Wait::Failed) return kEnded;
    if (w == Stream::Wait::Readable) {
      const qint64 n = line.read(chunk, sizeof chunk);
      if (n == Stream::kFailed || n == Stream::kClosed) return kEnded;
      if (n > 0) {
        const std::int64_t now = monotonicUs();
        if (buffer.isEmpty()) firstUs = m_options.serialLine ? now - n * m_byteUs : now;
        lastUs = now;
        buffer.append(chunk, n);
        // No request is longer than the longest frame; older bytes are noise.
        if (buffer.size() > 2 * wire::kMaxFrameLength) dropNoise(buffer, buffer.size() - 2 * wire::kMaxFrameLength);
      }
    } else if (w == Stream::Wait::Hangup) {
      // Nobody has the other end open; wait for someone to.
      sleepUntilUs(monotonicUs() + 20'000);
    }

    // Take every whole frame out of the buffer.
    while (!buffer.isEmpty()) {
      const int length = wire::requestLength(buffer);
      if (length > 0 && buffer.size() >= length) {
        const QByteArray frame = buffer.left(length);
        if (wire::hasValidCrc(frame)) {
          buffer.remove(0, length);
          if (!handleFrame(line, frame, firstUs, stop)) return kReset;
          firstUs = lastUs = monotonicUs();
        } else {
          // Not a frame after all: look for one a byte further on.
          dropNoise(buffer, 1);
        }
        continue;
      }
      // A whole frame further on ends the noise before it at once.
      if (const qsizetype at = wholeFrameAfter(buffer); at > 0) {
        dropNoise(buffer, at);
        continue;
      }
      if (monotonicUs() - lastUs < gapUs()) break;
      // The line went quiet: a frame of unknown length ends here; anything
      // else is noise, dropped a byte at a time in case a frame follows.
      if (length < 0 && wire::hasValidCrc(buffer)) {
        if (!handleFrame(line, buffer, firstUs, stop)) return kReset;
        buffer.clear();
      } else {
        dropNoise(buffer, 1);
      }
    }
  }
  return kStopped;
}

LineServer::Answer LineServer::answer(const QByteArray& frame, std::int64_t firstByteUs) {
  if (m_options.verbose) logFrame("->", frame);
  const bool faulty = m_options.faultyAddresses.isEmpty() ||
                      m_options.faultyAddresses.contains(int(std::uint8_t(frame[0])));
  Answer a;
  a.reset = faulty && m_faults.resetsNext();
  a.wrongTransaction = faulty && m_faults.wrongTransactionNext();
  const QByteArray reply = m_bus.handle(frame);
  a.reply = faulty ? m_faults.apply(reply) : reply;
  if (a.reset) {
    if (m_options.verbose) std::fprintf(stderr, "<- (connection reset)\n");
    a.reply.clear();
    return a;
  }
  if (m_options.verbose) logFrame(a.reply.isEmpty() ? "<- (silence)" : "<-", a.reply);
  // The request reaches the line across the network, and takes its time
  // on the line when paced.
  const std::int64_t netUs = std::int64_t(m_options.netDelayMs) * 1000;
  a.startUs = std::max(monotonicUs(), firstByteUs + netUs +
                                          (m_options.pace ? std::int64_t(frame.size()) * m_byteUs : 0));
  a.startUs += std::int64_t(m_options.turnaroundMs + (faulty ? m_faults.plan().delayMs : 0)) * 1000;
  return a;
}

bool LineServer::handleFrame(Stream& line, const QByteArray& frame, std::int64_t firstByteUs,
                             const volatile std::sig_atomic_t& stop) {
  const Answer a = answer(frame, firstByteUs);
  if (a.reset) return false;
  if (a.reply.isEmpty()) return true;
  // Each byte reaches the client the network's delay after it left the line.
  const std::int64_t start = a.startUs + std::int64_t(m_options.netDelayMs) * 1000;
  if (m_options.pace) {
    sendPaced(line, a.reply, start, stop);
  } else {
    sleepUntilUs(start);
    line.writeAll(a.reply.constData(), a.reply.size());
  }
  return true;
}

bool LineServer::handleGatewayFrame(Stream& line, const QByteArray& frame, std::int64_t arrivalUs) {
  const QByteArray rtu = mbap::toRtu(frame);
  const Answer a = answer(rtu, arrivalUs);
  if (a.reset) return false;
  // The gateway passes on only a reply it received whole; a spoilt one it
  // drops, as silence.
  if (!wire::hasValidCrc(a.reply)) return true;
  std::int64_t due = a.startUs + std::int64_t(m_options.netDelayMs) * 1000;
  if (m_options.pace) due += std::int64_t(a.reply.size()) * m_byteUs;
  sleepUntilUs(due);
  const std::uint16_t id = mbap::transactionId(frame);
  const QByteArray out = mbap::fromRtu(a.reply, a.wrongTransaction ? std::uint16_t(id + 1) : id);
  line.writeAll(out.constData(), out.size());
  return true;
}

int LineServer::serveGateway(Stream& line, const volatile std::sig_atomic_t& stop) {
  QByteArray buffer;
  char chunk[512];
  while (!stop) {
    const Stream::Wait w = line.wait(-1);
    if (w == Stream::Wait::Stopped || stop) break;
    if (w == Stream::Wait::Failed) return kEnded;
    if (w == Stream::Wait::Quiet) continue;
    const qint64 n = line.read(chunk, sizeof chunk);
    if (n == Stream::kNothing) continue;
    if (n <= 0) return kEnded;
    const std::int64_t arrival = monotonicUs();
    buffer.append(chunk, n);
    for (;;) {
      const int length = mbap::frameLength(buffer);
      if (length < 0) {
        if (m_options.verbose) logFrame("? (not an MBAP header, connection dropped)", buffer);
        return kEnded;
      }
      if (length == 0 || buffer.size() < length) break;
      const QByteArray frame = buffer.left(length);
      buffer.remove(0, length);
      if (!handleGatewayFrame(line, frame, arrival)) return kReset;
    }
  }
  return kStopped;
}

bool LineServer::sendPaced(Stream& line, const QByteArray& bytes, std::int64_t startUs,
                           const volatile std::sig_atomic_t& stop) {
  // Byte k is whole on the line at start + (k + 1) byte times; when late,
  // everything due goes out at once, so the lateness does not add up.
  qsizetype sent = 0;
  while (sent < bytes.size() && !stop) {
    const std::int64_t due = startUs + (sent + 1) * m_byteUs;
    sleepUntilUs(due);
    const qsizetype upTo =
        std::min<qsizetype>(bytes.size(), (monotonicUs() - startUs) / std::max<std::int64_t>(m_byteUs, 1));
    const qsizetype n = std::max<qsizetype>(upTo - sent, 1);
    if (!line.writeAll(bytes.constData() + sent, n)) return false;
    sent += n;
  }
  return true;
}

}  // namespace vmk::sim
