#include "extlib/mbap.h"

#include "extlib/crc16.h"

namespace vmk::mbap {

namespace {
constexpr int kCrcLength = 2;
constexpr int kLengthOffset = 4;  // the length field follows id and protocol
}  // namespace

int frameLength(const QByteArray& bytes) {
  if (bytes.size() < kLengthOffset + 2) return 0;
  if (wire::wordAt(bytes, 2) != 0) return -1;
  const int length = wire::wordAt(bytes, kLengthOffset);
  if (length < kMinLengthField || length > kMaxLengthField) return -1;
  return kLengthOffset + 2 + length;
}

std::uint16_t transactionId(const QByteArray& frame) { return wire::wordAt(frame, 0); }

QByteArray fromRtu(const QByteArray& rtu, std::uint16_t transaction) {
  const qsizetype body = rtu.size() - kCrcLength;  // unit id + PDU
  if (body < kMinLengthField || body > kMaxLengthField) return {};
  QByteArray frame;
  frame.reserve(kLengthOffset + 2 + body);
  wire::appendWord(frame, transaction);
  wire::appendWord(frame, 0);
  wire::appendWord(frame, std::uint16_t(body));
  frame.append(rtu.constData(), body);
  return frame;
}

QByteArray toRtu(const QByteArray& frame) {
  const int length = frameLength(frame);
  if (length <= 0 || frame.size() != length) return {};
  return wire::withCrc(frame.mid(kLengthOffset + 2));
}

}  // namespace vmk::mbap
