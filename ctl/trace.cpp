#include "ctl/trace.h"

#include <QDateTime>

#include "extlib/frame_log.h"
#include "traffic/frame_text.h"

namespace vmk::ctl {

QString TraceObserver::line(const WireFrame& frame) {
  const QString what = frame.direction == FrameDirection::Request ? traffic::decodeRequest(frame.bytes)
                                                                  : traffic::decodeReply(frame);
  return QDateTime::fromMSecsSinceEpoch(frame.atMs).time().toString(QStringLiteral("HH:mm:ss.zzz")) +
         QLatin1Char(' ') + frameLine(frame) + QStringLiteral("  ") + what;
}

void TraceObserver::frameSeen(const WireFrame& frame) {
  if (m_err) m_err(line(frame));
}

}  // namespace vmk::ctl
