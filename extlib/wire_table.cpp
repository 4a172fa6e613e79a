#include "extlib/wire_table.h"

#include <array>

#include "extlib/crc16.h"

namespace vmk::wire {

namespace {

// Request lengths.
template <int N>
int fixed(const QByteArray&) { return N; }
// Functions 15 and 16: address, function, first, count, byte count, data, CRC.
int withByteCount(const QByteArray& head) {
  return head.size() < 7 ? 0 : 9 + std::uint8_t(head[6]);
}
// Function 23: read first, read count, write first, write count, byte count, data.
int readWriteMultiple(const QByteArray& head) {
  return head.size() < 11 ? 0 : 13 + std::uint8_t(head[10]);
}

// Reply lengths.
int none(const QByteArray&) { return 0; }
int registers(const QByteArray& request) { return readReplyLength(wordAt(request, 4)); }

const std::array kTable = {
    FunctionSpec{0x01, "read coils", fixed<8>, none},
    FunctionSpec{0x02, "read discrete inputs", fixed<8>, none},
    FunctionSpec{kReadHolding, "read holding registers", fixed<8>, registers},
    FunctionSpec{0x04, "read input registers", fixed<8>, none},
    // The device echoes the request.
    FunctionSpec{kWriteCoil, "write single coil", fixed<8>, fixed<8>},
    FunctionSpec{kWriteRegister, "write single register", fixed<8>, fixed<8>},
    // address, function, status, CRC
    FunctionSpec{kReadStatus, "read exception status", fixed<4>, fixed<5>},
    FunctionSpec{0x0B, "get comm event counter", fixed<4>, none},
    FunctionSpec{0x0C, "get comm event log", fixed<4>, none},
    FunctionSpec{0x0F, "write multiple coils", withByteCount, none},
    // address, function, first, count, CRC
    FunctionSpec{kWriteMultiple, "write multiple registers", withByteCount, fixed<8>},
    FunctionSpec{0x11, "report server id", fixed<4>, none},
    FunctionSpec{0x16, "mask write register", fixed<10>, none},
    FunctionSpec{0x17, "read/write multiple registers", readWriteMultiple, none},
    // address, function, sub, code, argument, CRC -> address, function,
    // nonce, status, CRC
    FunctionSpec{kService, "service request", fixed<9>, fixed<7>},
    // address, function, sub, a1..a5, CRC -> address, function, 16 bytes, CRC
    FunctionSpec{kCalibration, "calibration request", fixed<10>, fixed<20>},
    // address, function, index, CRC -> address, function, 16 bytes, CRC
    FunctionSpec{kEventRecord, "event record", fixed<5>, fixed<20>},
    // address, function, CRC -> address, function, 0, 15, 150, 150 bytes, CRC
    FunctionSpec{kAlarmList, "alarm list", fixed<4>, fixed<157>},
    // address, function, entry, block, CRC -> address, function, 242,
    // 121 words, CRC
    FunctionSpec{kOscBlock, "oscillogram block", fixed<7>, fixed<247>},
};

}  // namespace

const FunctionSpec* findFunction(std::uint8_t code) {
  for (const FunctionSpec& f : kTable)
    if (f.code == code) return &f;
  return nullptr;
}

int requestLength(const QByteArray& bytes) {
  if (bytes.size() < 2) return 0;
  const FunctionSpec* f = findFunction(std::uint8_t(bytes[1]));
  return f ? f->requestLength(bytes) : -1;
}

int replyLength(const QByteArray& request) {
  if (request.size() < 2) return -1;
  const FunctionSpec* f = findFunction(std::uint8_t(request[1]));
  return f ? f->replyLength(request) : -1;
}

}  // namespace vmk::wire
