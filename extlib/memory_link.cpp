#include "extlib/memory_link.h"

#include <QThread>

#include "extlib/transport_error.h"

namespace vmk {

bool MemoryLink::open() {
  if (m_openError) {
    m_error = *m_openError;
    return false;
  }
  m_error.clear();
  m_open = true;
  ++m_opens;
  return true;
}

void MemoryLink::write(const QByteArray& bytes) {
  if (!m_open) throw TransportError(QStringLiteral("Порт не открыт"));
  if (m_broken) throw TransportError(QStringLiteral("Ошибка записи в порт"));
  m_requests.append(bytes);
  if (!m_script.isEmpty()) m_input += m_script.dequeue();
  else if (m_responder) m_input += m_responder(bytes);
}

QByteArray MemoryLink::read(int timeoutMs) {
  if (!m_open) throw TransportError(QStringLiteral("Порт не открыт"));
  // Nothing can arrive later on this link: silence lasts the whole wait.
  if (m_input.isEmpty()) {
    if (timeoutMs > 0) QThread::msleep(std::uint64_t(timeoutMs));
    return {};
  }
  const qsizetype n = m_chunk > 0 ? std::min<qsizetype>(m_chunk, m_input.size()) : m_input.size();
  const QByteArray out = m_input.left(n);
  m_input.remove(0, n);
  return out;
}

void MemoryLink::discardInput() {
  m_input.clear();
  ++m_discards;
}

}  // namespace vmk
