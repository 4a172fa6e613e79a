#pragma once
// The protocol library: a Modbus-RTU master of our own with the device's
// custom functions. Every call is synchronous: it discards stale input,
// sends one request over the given link and waits for the reply or the
// time-out. A silent, garbled or short answer leaves an empty (or short)
// ReplyFrame for the caller to judge; a port failure throws TransportError.
// An exception reply reaches the caller as its 5-byte frame (function code
// + 0x80), except for WriteWord and func18h, whose callers take any
// non-empty reply as success: there it leaves an empty ReplyFrame.
// Frame layouts: docs/wire-protocol.md; timing rules: extlib/timing.h.

#include <QDateTime>
#include <QString>
#include <cstdint>

#include "extlib/reply_frame.h"
#include "extlib/serial_link.h"
#include "extlib/timing.h"

namespace vmk {

// Why the last reply was accepted or not (for the frame log and tests; the
// callers judge the ReplyFrame, not this).
enum class ReplyStatus { Ok, NoAnswer, Exception, BadCrc, WrongAddress, WrongFunction, Truncated };

class ModbusLibrary {
 public:
  // `GetF07` result for a device that did not answer.
  static constexpr int kNoAnswer = 255;
  static constexpr int kDefaultTry = timing::kDefaultTry;  // x 10 ms

  // Reply time-out setting, 1..255 in units of 10 ms.
  int GetTry() const { return m_try; }
  // Sets the time-out (held to 1..255) and returns the new setting.
  int SetTry(int value);

  // Status byte of function 7: 1 in network, 3 "(+)", 0/2 faulty;
  // kNoAnswer when the device is silent or its reply is not valid.
  int GetF07(SerialLink& port, std::uint8_t address);

  // Read holding registers. Good iff reply.length() == expectedReplyLength(count).
  void SetQuery(SerialLink& port, std::uint8_t address, std::uint8_t function,
                std::uint16_t first, std::uint16_t count, ReplyFrame& reply);
  // Write single register; a non-empty reply means written.
  void WriteWord(SerialLink& port, std::uint8_t address, std::uint16_t reg,
                 std::uint16_t value, ReplyFrame& reply);
  // Write single coil `code` with 0xFF00 (a remote command).
  void SendCommand(SerialLink& port, std::uint8_t address, std::uint16_t code, ReplyFrame& reply);
  // Sets the device clock; true when the device confirmed.
  bool SetRealDateTime(SerialLink& port, std::uint8_t address, const QDateTime& moment);

  void func18h(SerialLink& port, std::uint8_t address, std::uint8_t sub, std::uint16_t code,
               std::uint16_t argument, ReplyFrame& reply);
  void func19h(SerialLink& port, std::uint8_t address, std::uint8_t sub, std::uint8_t a1,
               std::uint8_t a2, std::uint8_t a3, std::uint8_t a4, std::uint8_t a5,
               ReplyFrame& reply);
  void func1903h(SerialLink& port, std::uint8_t address, std::uint8_t sub, std::uint8_t slot,
                 std::uint8_t coefficient, std::uint8_t zero, ReplyFrame& reply);
  void GetEvent(SerialLink& port, std::uint8_t address, std::uint8_t index, ReplyFrame& reply);
  void Getinterruption(SerialLink& port, std::uint8_t address, ReplyFrame& reply);
  void GetBLockInterruption(SerialLink& port, std::uint8_t address, std::uint8_t entry,
                            std::uint16_t block, ReplyFrame& reply);

  // Value of a text of "0"/"1" digits, most significant first; any other
  // character counts as 0.
  static std::uint32_t BinToInt(const QString& bits);

  ReplyStatus lastStatus() const { return m_lastStatus; }

 private:
  // Sends `request` with its CRC after discarding stale input, and waits
  // for a CRC-valid reply of the length the wire table gives for it (or a
  // 5-byte exception reply) from the request's address and function,
  // skipping any bytes before it. Fills `reply` (empty unless Ok or
  // Exception) and lastStatus().
  ReplyStatus exchange(SerialLink& port, const QByteArray& request, ReplyFrame& reply);

  int m_try = kDefaultTry;
  ReplyStatus m_lastStatus = ReplyStatus::NoAnswer;
};

}  // namespace vmk
