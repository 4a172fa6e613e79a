#include "traffic/traffic_monitor.h"

#include <QDateTime>
#include <QSaveFile>

#include "traffic/frame_text.h"

namespace vmk::traffic {

TrafficMonitor::TrafficMonitor(int capacity) : m_capacity(std::max(1, capacity)) {}

void TrafficMonitor::frameSeen(const WireFrame& frame) {
  if (m_paused) {
    ++m_missed;
    return;
  }
  AddressCounts& c = m_counts[frame.address];
  c.address = frame.address;
  if (frame.direction == FrameDirection::Request) {
    ++c.requests;
  } else {
    switch (frame.status) {
      case ReplyStatus::Ok: ++c.replies; break;
      case ReplyStatus::Exception: ++c.replies; ++c.exceptions; break;
      case ReplyStatus::NoAnswer: ++c.silences; break;
      case ReplyStatus::BadCrc: ++c.crcErrors; break;
      case ReplyStatus::WrongAddress:
      case ReplyStatus::WrongFunction:
      case ReplyStatus::Truncated: ++c.badReplies; break;
    }
    if (frame.status == ReplyStatus::Ok || frame.status == ReplyStatus::Exception)
      c.latency.add(frame.responseUs);
  }
  m_frames.push_back(frame);
  // The bytes of a babbling line are kept whole in the log, not here.
  if (m_frames.back().bytes.size() > 256) m_frames.back().bytes.truncate(256);
  // Bytes gathered from a noisy line may sit in a much larger buffer.
  if (m_frames.back().bytes.capacity() > m_frames.back().bytes.size() + 64) m_frames.back().bytes.squeeze();
  while (int(m_frames.size()) > m_capacity) {
    m_frames.pop_front();
    ++m_dropped;
  }
  ++m_version;
}

void TrafficMonitor::clear() {
  m_frames.clear();
  m_frames.shrink_to_fit();
  m_counts.clear();
  m_dropped = 0;
  m_missed = 0;
  ++m_version;
}

QString msText(qint64 us) {
  if (us < 0) return {};
  return QString::number(double(us) / 1000.0, 'f', 1);
}

QStringList TrafficMonitor::header() {
  return {QStringLiteral("Время"),   QStringLiteral("Направление"), QStringLiteral("Адрес"),
          QStringLiteral("Функция"), QStringLiteral("Содержание"),  QStringLiteral("Длина"),
          QStringLiteral("CRC"),     QStringLiteral("Ответ, мс"),   QStringLiteral("Байты")};
}

QStringList TrafficMonitor::columns(int i) const {
  const WireFrame& f = frame(i);
  const bool request = f.direction == FrameDirection::Request;
  return {QDateTime::fromMSecsSinceEpoch(f.atMs).time().toString(QStringLiteral("HH:mm:ss.zzz")),
          request ? QStringLiteral("запрос") : QStringLiteral("ответ"),
          QString::number(f.address),
          functionName(f.function),
          request ? decodeRequest(f.bytes) : decodeReply(f),
          QString::number(f.bytes.size()),
          crcVerdict(f),
          request ? QString() : msText(f.responseUs),
          QString::fromLatin1(f.bytes.toHex(' '))};
}

QStringList TrafficMonitor::countsHeader() {
  return {QStringLiteral("Адрес"),      QStringLiteral("Запросы"),     QStringLiteral("Ответы"),
          QStringLiteral("Нет ответа"), QStringLiteral("Ошибки CRC"),  QStringLiteral("Искажённые"),
          QStringLiteral("Исключения"), QStringLiteral("Мин., мс"),    QStringLiteral("Медиана, мс"),
          QStringLiteral("Макс., мс")};
}

QStringList TrafficMonitor::countColumns(const AddressCounts& c) {
  const bool timed = c.latency.count() > 0;
  return {QString::number(c.address),    QString::number(c.requests),
          QString::number(c.replies),    QString::number(c.silences),
          QString::number(c.crcErrors),  QString::number(c.badReplies),
          QString::number(c.exceptions), timed ? msText(c.latency.min()) : QString(),
          timed ? msText(c.latency.median()) : QString(),
          timed ? msText(c.latency.max()) : QString()};
}

QString TrafficMonitor::text() const {
  QStringList lines;
  lines << header().join(QLatin1Char('\t'));
  for (int i = 0; i < size(); ++i) lines << columns(i).join(QLatin1Char('\t'));
  lines << QString();
  lines << countsHeader().join(QLatin1Char('\t'));
  for (const auto& [address, c] : m_counts) lines << countColumns(c).join(QLatin1Char('\t'));
  if (m_dropped)
    lines << QStringLiteral("Кадров вытеснено из памяти: %1").arg(m_dropped);
  if (m_missed) lines << QStringLiteral("Кадров пропущено при паузе: %1").arg(m_missed);
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool TrafficMonitor::saveText(const QString& path, QString* error) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text().toUtf8()) < 0 || !file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

}  // namespace vmk::traffic
