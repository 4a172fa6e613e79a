#include "sim/tcp_server.h"

namespace vmk::sim {

bool parseHostPort(const QString& text, QString& host, int& port) {
  const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
  if (colon <= 0) return false;
  QString h = text.left(colon);
  if (h.startsWith(QLatin1Char('[')) && h.endsWith(QLatin1Char(']'))) h = h.mid(1, h.size() - 2);
  bool ok = false;
  const int p = text.mid(colon + 1).toInt(&ok);
  if (!ok || p < 0 || p > 65535 || h.isEmpty()) return false;
  host = h;
  port = p;
  return true;
}

TcpServer::TcpServer(LineServer& line, Options options) : m_line(line), m_options(std::move(options)) {}

QString TcpServer::address() const {
  const QString h = m_options.host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(m_options.host)
                                                              : m_options.host;
  return QStringLiteral("%1:%2").arg(h).arg(m_port);
}

}  // namespace vmk::sim
