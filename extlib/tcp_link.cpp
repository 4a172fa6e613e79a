#include "extlib/tcp_link.h"

#include <QElapsedTimer>
#include <algorithm>

#include "extlib/mbap.h"
#include "extlib/transport_error.h"

namespace vmk {

TcpLink::TcpLink(TcpLinkSettings settings) : m_settings(std::move(settings)) {
  if (m_settings.name.isEmpty())
    m_settings.name = QStringLiteral("%1:%2").arg(m_settings.host).arg(m_settings.port);
}

TcpLink::~TcpLink() { close(); }

bool TcpLink::open() {
  if (m_open) return true;
  m_pending.clear();
  m_socket.connectToHost(m_settings.host, m_settings.port);
  if (!m_socket.waitForConnected(m_settings.connectTimeoutMs)) {
    m_error = reason();
    m_socket.abort();
    return false;
  }
  // Each request is one write; it must not wait for an acknowledgement.
  m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  m_error.clear();
  m_open = true;
  return true;
}

void TcpLink::close() {
  m_open = false;
  if (m_socket.state() == QAbstractSocket::UnconnectedState) return;
  m_socket.disconnectFromHost();
  if (m_socket.state() != QAbstractSocket::UnconnectedState) m_socket.abort();
}

bool TcpLink::failed() const {
  return m_open && m_socket.state() != QAbstractSocket::ConnectedState;
}

QString TcpLink::reason() const {
  switch (m_socket.error()) {
    case QAbstractSocket::ConnectionRefusedError: return tcp_reason::kRefused;
    case QAbstractSocket::RemoteHostClosedError: return tcp_reason::kClosed;
    case QAbstractSocket::HostNotFoundError: return tcp_reason::kHostNotFound.arg(m_settings.host);
    case QAbstractSocket::SocketTimeoutError:
      return tcp_reason::kNoAnswer.arg(m_settings.connectTimeoutMs);
    default: return m_socket.errorString();
  }
}

void TcpLink::failIfGone() {
  if (!m_open) throw TransportError(QStringLiteral("Порт %1 не открыт").arg(m_settings.name));
  if (failed())
    throw TransportError(QStringLiteral("Порт %1 недоступен: %2").arg(m_settings.name, reason()));
}

void TcpLink::write(const QByteArray& bytes) {
  failIfGone();
  QByteArray out = bytes;
  if (gateway()) {
    out = mbap::fromRtu(bytes, ++m_transaction);
    if (out.isEmpty()) return;  // no frame: nothing to answer
  }
  const auto writeError = [this] {
    failIfGone();
    return TransportError(QStringLiteral("Ошибка записи в порт %1: %2")
                              .arg(m_settings.name, m_socket.errorString()));
  };
  if (m_socket.write(out) != out.size()) throw writeError();
  while (m_socket.bytesToWrite() > 0)
    if (!m_socket.waitForBytesWritten(timing::writeTimeoutMs(int(out.size())))) throw writeError();
}

void TcpLink::takeArrived() {
  // The bytes still with the system are fetched too: a discard must not
  // leave a late reply to be read after the next request. A server that
  // babbles without end does not hold the discard: a few rounds do.
  constexpr int kRounds = 16;
  int round = 0;
  do {
    const QByteArray got = m_socket.readAll();
    if (gateway()) m_pending += got;
  } while (++round < kRounds && m_socket.state() == QAbstractSocket::ConnectedState &&
           m_socket.waitForReadyRead(0));
}

QByteArray TcpLink::takeReply() {
  QByteArray reply;
  for (;;) {
    const int length = mbap::frameLength(m_pending);
    if (length < 0) {
      // Not a header: the frames' borders are lost. What waits is dropped;
      // the gateway's next reply starts afresh after the next discard.
      m_pending.clear();
      break;
    }
    if (length == 0 || m_pending.size() < length) break;
    const QByteArray frame = m_pending.left(length);
    m_pending.remove(0, length);
    // A reply to an earlier request (late, or answered twice) is not this
    // one's, whatever it holds.
    if (mbap::transactionId(frame) == m_transaction) reply = mbap::toRtu(frame);
  }
  return reply;
}

void TcpLink::discardInput() {
  if (!m_open) return;
  takeArrived();
  // Whole frames go; a frame still arriving stays, so that its rest is not
  // taken for a header.
  if (gateway()) takeReply();
}

QByteArray TcpLink::read(int timeoutMs) {
  if (!m_open) failIfGone();
  if (!gateway()) {
    QByteArray got = m_socket.readAll();
    if (!got.isEmpty()) return got;
    failIfGone();
    m_socket.waitForReadyRead(std::max(timeoutMs, 0));
    got = m_socket.readAll();
    if (got.isEmpty()) failIfGone();
    return got;
  }
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    m_pending += m_socket.readAll();
    const QByteArray reply = takeReply();
    if (!reply.isEmpty()) return reply;
    failIfGone();
    const qint64 left = timeoutMs - clock.elapsed();
    if (left <= 0) return {};
    m_socket.waitForReadyRead(int(left));
  }
}

}  // namespace vmk
