// The simulated device's request handling: a bus with one device takes a
// sequence of frames (most with a correct CRC, so that they reach the
// device's dispatch) and must answer each with silence, a good reply of
// the length the wire table gives, or an exception reply, its CRC correct.
// The same bytes as an MBAP frame (a gateway's request or reply): a frame
// the header measures whole turns into an RTU frame and back unchanged.

#include <fuzzer/FuzzedDataProvider.h>

#include <QDateTime>

#include "extlib/crc16.h"
#include "extlib/mbap.h"
#include "extlib/wire_table.h"
#include "fuzz/qt_app.h"
#include "sim/bus.h"

namespace {

using namespace vmk;

bool replyFits(const QByteArray& body, const QByteArray& reply) {
  if (reply.isEmpty()) return true;
  if (!wire::hasValidCrc(reply)) return false;
  if (reply.size() == wire::kExceptionReplyLength &&
      std::uint8_t(reply[1]) == (std::uint8_t(body[1]) | wire::kExceptionFlag))
    return true;
  return reply.size() == wire::replyLength(body);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vmk::fuzz::ensureCoreApplication();
  FuzzedDataProvider in(data, size);
  const int variant = in.ConsumeIntegralInRange(1, 3);
  const QDateTime now(QDate(2026, 12, 9), QTime(10, 0, 0));
  sim::Bus bus({1}, variant, 7, [now] { return now; });
  for (int frames = 0; frames < 64 && in.remaining_bytes() > 0; ++frames) {
    const bool withCrc = in.ConsumeIntegralInRange(0, 15) != 0;
    const std::string bytes = in.ConsumeRandomLengthString(300);
    QByteArray body(bytes.data(), qsizetype(bytes.size()));
    const QByteArray frame = withCrc ? wire::withCrc(body) : body;
    wire::requestLength(frame);
    const QByteArray reply = bus.handle(frame);
    // Every good frame the bus answers is one the framing would take whole.
    if (!reply.isEmpty() && body.size() >= 2 && withCrc && !replyFits(body, reply)) __builtin_trap();
    const int length = mbap::frameLength(body);
    if (length > 0 && body.size() >= length) {
      const QByteArray whole = body.left(length);
      const QByteArray rtu = mbap::toRtu(whole);
      if (!wire::hasValidCrc(rtu) || mbap::fromRtu(rtu, mbap::transactionId(whole)) != whole) __builtin_trap();
    }
  }
  return 0;
}
