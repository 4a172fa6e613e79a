#pragma once
// `vmk.proto.frames`: every request and reply in hex with a time stamp.
// Off by default; turn it on with
//   QT_LOGGING_RULES="vmk.proto.frames.debug=true"

#include <QByteArray>
#include <QLoggingCategory>

namespace vmk {

Q_DECLARE_LOGGING_CATEGORY(lcFrames)

// `direction` is "->" for a request, "<-" for received bytes; `note` says
// how the reply was judged (may be empty).
void logFrame(const char* direction, const QByteArray& bytes, const char* note = "");

}  // namespace vmk
