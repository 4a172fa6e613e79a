#pragma once
// A serial link whose device answers with the fuzzer's bytes. Each request
// written takes the next reply from the input (its bytes, whether it
// carries a correct CRC, and the size of the pieces it arrives in). Once a
// reply is used up the line is gone: a read throws TransportError, so that
// no exchange waits out a real time-out.

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QString>
#include <algorithm>

#include "extlib/crc16.h"
#include "extlib/serial_link.h"
#include "extlib/transport_error.h"

namespace vmk::fuzz {

class FuzzLink : public SerialLink {
 public:
  explicit FuzzLink(FuzzedDataProvider& input) : m_input(input) {}

  bool open() override {
    m_open = true;
    return true;
  }
  void close() override { m_open = false; }
  bool isOpen() const override { return m_open; }
  QString errorString() const override { return {}; }

  void write(const QByteArray& request) override {
    if (!m_open || m_input.remaining_bytes() == 0) throw TransportError(QStringLiteral("end of input"));
    const bool fixCrc = m_input.ConsumeBool();
    m_chunk = m_input.ConsumeIntegralInRange<int>(1, 300);
    const std::string bytes = m_input.ConsumeRandomLengthString(600);
    m_pending = QByteArray(bytes.data(), qsizetype(bytes.size()));
    // A reply of the request's address and function is what reaches the
    // decoders; the fuzzer finds the rest of the frame itself.
    if (fixCrc && m_pending.size() >= 2) {
      m_pending[0] = request[0];
      m_pending[1] = char(std::uint8_t(request[1]) | (std::uint8_t(m_pending[1]) & 0x80));
      m_pending = wire::withCrc(m_pending);
    }
  }

  QByteArray read(int) override {
    if (m_pending.isEmpty()) throw TransportError(QStringLiteral("silence"));
    const qsizetype n = std::min<qsizetype>(m_chunk, m_pending.size());
    const QByteArray out = m_pending.left(n);
    m_pending.remove(0, n);
    return out;
  }

  void discardInput() override {}

 private:
  FuzzedDataProvider& m_input;
  QByteArray m_pending;
  int m_chunk = 1;
  bool m_open = false;
};

}  // namespace vmk::fuzz
