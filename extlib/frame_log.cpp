#include "extlib/frame_log.h"

#include <QTime>

namespace vmk {

Q_LOGGING_CATEGORY(lcFrames, "vmk.proto.frames", QtInfoMsg)

void logFrame(const char* direction, const QByteArray& bytes, const char* note) {
  if (!lcFrames().isDebugEnabled()) return;
  qCDebug(lcFrames).noquote() << QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))
                              << direction << bytes.toHex(' ') << note;
}

}  // namespace vmk
