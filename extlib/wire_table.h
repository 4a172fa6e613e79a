#pragma once
// The one table of the functions on the line: for every function code the
// devices speak (and the other standard Modbus requests, which a device
// refuses), its name, the length of a request and the length of the good
// reply to it. The master, the simulator's framing and the simulated
// device all take their lengths from here; docs/wire-protocol.md is the
// human description of the same table. Lengths count the whole frame,
// address to CRC.

#include <QByteArray>
#include <cstdint>

namespace vmk::wire {

// Function codes of the device.
enum Function : std::uint8_t {
  kReadHolding = 0x03,    // SetQuery
  kWriteCoil = 0x05,      // SendCommand
  kWriteRegister = 0x06,  // WriteWord
  kReadStatus = 0x07,     // GetF07
  kWriteMultiple = 0x10,  // SetRealDateTime
  kService = 0x18,        // func18h
  kCalibration = 0x19,    // func19h, func1903h
  kEventRecord = 0x41,    // GetEvent
  kAlarmList = 0x42,      // Getinterruption
  kOscBlock = 0x43,       // GetBLockInterruption
};

// An exception reply: address, function + 0x80, code, CRC.
constexpr std::uint8_t kExceptionFlag = 0x80;
constexpr int kExceptionReplyLength = 5;

// Device addresses on the line; there is no broadcast.
constexpr int kFirstAddress = 1;
constexpr int kLastAddress = 32;

// The shortest frame (address, function, CRC) and the longest one a
// request may be.
constexpr int kMinFrameLength = 4;
constexpr int kMaxFrameLength = 256;

// Exception codes.
enum ExceptionCode : std::uint8_t { kIllegalFunction = 1, kIllegalAddress = 2, kIllegalValue = 3 };

// Most registers one read may ask for.
constexpr int kMaxReadCount = 125;

struct FunctionSpec {
  std::uint8_t code;
  const char* name;
  // Whole request length from its first bytes: > 0 the length; 0 when more
  // bytes are needed to tell.
  int (*requestLength)(const QByteArray& head);
  // Whole length of the good reply to a whole request; 0 for functions the
  // devices do not implement (they answer those with an exception).
  int (*replyLength)(const QByteArray& request);
};

// The entry of a function code; nullptr for a code that is not in the table.
const FunctionSpec* findFunction(std::uint8_t code);

// Whole length of the request at the start of `bytes`: > 0 the length; 0
// when more bytes are needed to tell; -1 when the function code is not in
// the table.
int requestLength(const QByteArray& bytes);

// Whole length of the good reply to a whole request (function 3: 2n + 5);
// 0 when the function has no good reply; -1 for a code not in the table.
int replyLength(const QByteArray& request);

// Length of a good reply to a read of `count` registers: address +
// function + byte count + 2n + CRC.
constexpr int readReplyLength(int count) { return 2 * count + 5; }

}  // namespace vmk::wire
