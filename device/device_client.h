#pragma once
// The device client: typed calls to one device over the session's port and
// protocol library. Each call sends one request, checks the reply once
// (its length from the wire table, address, function, CRC, exception) and
// gives the data or an Outcome; no caller measures a frame. Every request
// goes through one exchange, which is the one place a port failure
// (closed, vanished, a write that fails, a connection reset) is caught: a
// client built with PortFailures::AsOutcome gives it as
// Outcome::PortFailure, with its text in lastPortError(); by default it
// stays a TransportError, for the operations that leave it to the window's
// top level or vmkctl to show. Either way the operation's port bracket
// closes the port on the way out.
//
//   DeviceClient device(session, PortFailures::AsOutcome);  // DeviceAddress
//   const Result<SetupFields> setup = device.readSetup();
//   if (!setup) return setup.outcome;                 // PortFailure included

#include <QDateTime>
#include <QVector>
#include <cstdint>
#include <functional>
#include <optional>

#include "device/device_change.h"

#include "device/outcome.h"
#include "device/tvmk.h"
#include "extlib/registers.h"
#include "extlib/reply_frame.h"

namespace vmk {

class Session;

// Words of a register read, addressed by register number.
struct RegisterWords {
  std::uint16_t first = 0;
  QVector<std::uint16_t> words;

  // The word of register `r`; 0 for a register outside the block.
  std::uint16_t at(int r) const {
    const int k = r - first;
    return k >= 0 && k < words.size() ? words[k] : 0;
  }
  int count() const { return int(words.size()); }
};

// A reply to a service request (function 0x18). The nonce comes with every
// reply, carried out or refused; it keys the next request's access code.
struct ServiceReply {
  std::uint16_t nonce = 0;
  bool carriedOut = false;  // frame byte 4 is 0 (255 = refused)
};

// What a call does when the port fails under it.
enum class PortFailures {
  Throw,      // the TransportError goes on to whoever shows its text
  AsOutcome,  // the call ends with Outcome::PortFailure
};

class DeviceClient {
 public:
  // Talks to the session's DeviceAddress.
  explicit DeviceClient(Session& session, PortFailures portFailures = PortFailures::Throw);
  // Talks to `address` (polling asks addresses other than the chosen one).
  DeviceClient(Session& session, std::uint8_t address,
               PortFailures portFailures = PortFailures::Throw);

  std::uint8_t address() const { return m_address; }

  // Function 7: the status byte (1 in service, 3 with a notice, 0 or 2
  // faulty), or NoAnswer / BadReply.
  Result<int> readStatus();

  // Every call that changes the device (register writes, commands, the
  // clock, service requests with an access code, calibration
  // coefficients) is handed to the session's change sink once it ended,
  // a port failure included (before the exception goes on, when it does).

  // Function 3: `count` registers from `first`.
  Result<RegisterWords> readRegisters(std::uint16_t first, std::uint16_t count);
  Result<RegisterWords> readRegisters(reg::Block block) {
    return readRegisters(block.first, block.count);
  }

  // The identity block decoded into a fresh record (setup fields empty).
  // Throws Error when the variant character is not a digit.
  Result<TVMK> readIdentity();
  // The setup block decoded; the clock as the device has it.
  Result<SetupFields> readSetup();

  // Function 6. Done when the device echoed the write; DeviceRefused for
  // an exception reply.
  Outcome writeWord(std::uint16_t reg, std::uint16_t value);
  // writeWord, then the register read back and compared with the value
  // sent. A device answers the write of its address register at the old
  // address and the read-back at the new one.
  struct VerifiedWrite {
    // The write's; PortFailure also when the port fails under the read-back.
    Outcome outcome = Outcome::Done;
    ReadBack readBack = ReadBack::NotChecked;
    std::optional<std::uint16_t> readValue;
    bool holds() const { return outcome == Outcome::Done && readBack == ReadBack::Holds; }
  };
  VerifiedWrite writeWordVerified(std::uint16_t reg, std::uint16_t value);

  // The check after a run of writeWord calls: registers first..first +
  // count - 1 read at once, and each write of `written` (register, value
  // sent) compared with what its register holds now. Each write's check
  // goes to the change log as a read-back record of its own (function 3,
  // the register, the value sent, what was read), which the log's reader
  // joins to the write it follows. The read's outcome, and per write its
  // ReadBack (NotRead when the read was not answered) and the word read.
  struct WrittenWord {
    std::uint16_t reg = 0;
    std::uint16_t value = 0;
  };
  struct BlockCheck {
    Outcome outcome = Outcome::Done;
    QVector<ReadBack> readBack;                       // per write of `written`
    QVector<std::optional<std::uint16_t>> readValue;  // per write of `written`
  };
  BlockCheck readBackWrites(std::uint16_t first, std::uint16_t count,
                            const QVector<WrittenWord>& written);

  // Function 5 with a command code. Done when the device confirmed it
  // (its echo carries the code's high byte and 0xFF); DeviceRefused for an
  // exception or an echo that does not confirm.
  Outcome sendCommand(std::uint16_t code);

  // Function 16 on the clock registers. Done when the device echoed the
  // registers; InputRefused for a moment that is not a valid date-time.
  Outcome setClock(const QDateTime& moment);

  // Function 0x18. A refusal (frame byte 4 = 255) is still Done with
  // carriedOut false, since the nonce is there; an exception reply is
  // DeviceRefused and carries no nonce.
  Result<ServiceReply> service(std::uint8_t sub, std::uint16_t accessCode,
                               std::uint16_t argument);

  // Function 0x19 with its five bytes; the reply as the device sent it.
  Result<ReplyFrame> calibration(std::uint8_t sub, std::uint8_t a1, std::uint8_t a2,
                                 std::uint8_t a3, std::uint8_t a4, std::uint8_t a5);
  // Function 0x19 in the coefficient-slot form of a variant-3 device.
  Result<ReplyFrame> calibrationSlot(std::uint8_t slot, std::uint8_t coefficient);

  // Function 0x41: event record `index`, as the device sent it.
  Result<ReplyFrame> readEventRecord(std::uint8_t index);
  // Function 0x42: the alarm list, as the device sent it.
  Result<ReplyFrame> readAlarmList();
  // Function 0x43: the 121 words of one block. BadReply when word 0 is not
  // the block asked for.
  Result<RegisterWords> readOscillogramBlock(std::uint8_t entry, std::uint16_t block);

  // The reply of the last call as it was taken: empty when nothing valid
  // arrived, the 5-byte frame after an exception reply (for the texts that
  // quote a reply).
  const ReplyFrame& lastReply() const { return m_reply; }
  // The text of the port failure that ended the last request ("Порт …
  // недоступен: …"); empty when the port carried it.
  const QString& lastPortError() const { return m_portError; }

 private:
  // Runs one request of the protocol library (`request` makes the call and
  // keeps what it returns) and gives its outcome. A port failure is caught
  // here and nowhere else in the client: with PortFailures::Throw it goes
  // on, after `change` (a request that changes the device) was handed to
  // `send` with Outcome::PortFailure; otherwise it is the outcome.
  Outcome exchange(const std::function<void()>& request, DeviceChange* change = nullptr,
                   const ChangeSink& send = {});
  // The outcome of the library call just made.
  Outcome outcomeOfLastCall() const;
  // Hands one change to the session's sink.
  void note(DeviceChange change, const QString& defaultOperation);
  // Function 3 at `address`, noting a port failure on `change`.
  Result<RegisterWords> readAt(std::uint8_t address, std::uint16_t first, std::uint16_t count,
                               DeviceChange* change = nullptr, const ChangeSink& send = {});
  Result<ReplyFrame> frameResult(Outcome o);

  Session& m_session;
  std::uint8_t m_address;
  PortFailures m_portFailures;
  ReplyFrame m_reply;
  QString m_portError;
};

}  // namespace vmk
