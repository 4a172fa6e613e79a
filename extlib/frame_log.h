#pragma once
// `vmk.proto.frames`: every request and reply in hex with a time stamp.
// Off by default; turn it on with
//   QT_LOGGING_RULES="vmk.proto.frames.debug=true"

#include <QLoggingCategory>
#include <QString>

#include "extlib/frame_observer.h"

namespace vmk {

Q_DECLARE_LOGGING_CATEGORY(lcFrames)

// True while the category prints.
bool frameLogOn();
// Prints the frame when the category is on.
void logFrame(const WireFrame& frame);

// How a reply was judged, in the log's and the trace's words.
const char* statusNote(ReplyStatus status);
// One line of the log and of vmkctl's trace (without the time stamp):
// "-> 01 03 00 00 00 09 85 cc" or "<- 01 03 ... ok 4.2 ms".
QString frameLine(const WireFrame& frame);

}  // namespace vmk
