#include "extlib/frame_log.h"

#include <QDateTime>

namespace vmk {

Q_LOGGING_CATEGORY(lcFrames, "vmk.proto.frames", QtInfoMsg)

bool frameLogOn() { return lcFrames().isDebugEnabled(); }

const char* statusNote(ReplyStatus status) {
  switch (status) {
    case ReplyStatus::Ok: return "ok";
    case ReplyStatus::NoAnswer: return "no answer";
    case ReplyStatus::Exception: return "exception";
    case ReplyStatus::BadCrc: return "bad CRC";
    case ReplyStatus::WrongAddress: return "wrong address";
    case ReplyStatus::WrongFunction: return "wrong function";
    case ReplyStatus::Truncated: return "truncated";
  }
  return "";
}

QString frameLine(const WireFrame& frame) {
  if (frame.direction == FrameDirection::Request)
    return QStringLiteral("-> ") + QString::fromLatin1(frame.bytes.toHex(' '));
  QString line = QStringLiteral("<- ") + QString::fromLatin1(frame.bytes.toHex(' '));
  if (!frame.bytes.isEmpty()) line += QLatin1Char(' ');
  line += QLatin1String(statusNote(frame.status));
  if (frame.responseUs >= 0)
    line += QStringLiteral(" %1 ms").arg(double(frame.responseUs) / 1000.0, 0, 'f', 1);
  return line;
}

void logFrame(const WireFrame& frame) {
  if (!frameLogOn()) return;
  qCDebug(lcFrames).noquote()
      << QDateTime::fromMSecsSinceEpoch(frame.atMs).time().toString(QStringLiteral("HH:mm:ss.zzz"))
      << frameLine(frame);
}

}  // namespace vmk
