#pragma once
// What the journal tests share: replies of the fixture's bus changed on
// their way to the master (the CRC made again), and whole event and
// alarm-list frames built by hand.

#include <QByteArray>
#include <functional>
#include <memory>

#include "extlib/crc16.h"
#include "extlib/memory_link.h"
#include "extlib/reply_frame.h"
#include "tests/support/device_fixture.h"

namespace vmk::test {

// Changes a reply's frame (without its CRC) before the master reads it.
using Rewrite = std::function<void(const QByteArray& request, QByteArray& frame)>;

// From now on the fixture's port opens links whose replies come from its
// bus through `rewrite`; requests are still recorded in f.plan.
inline void rewriteReplies(DeviceFixture& f, Rewrite rewrite) {
  f.session.Port1.setLinkFactory([&f, rewrite](const PortSettings&) {
    auto inner = std::make_unique<MemoryLink>([&f, rewrite](const QByteArray& request) {
      const QByteArray reply = f.bus.handle(request);
      if (reply.size() < 4) return reply;
      QByteArray frame = reply.left(reply.size() - 2);
      rewrite(request, frame);
      return wire::withCrc(frame);
    });
    return std::make_unique<FaultLink>(std::move(inner), f.plan);
  });
}

// The record index an event request asks for; -1 for another request.
inline int eventIndexOf(const QByteArray& request) {
  return request.size() == 5 && std::uint8_t(request[1]) == 0x41 ? std::uint8_t(request[2]) : -1;
}

// A whole event reply of address 1: number, stamp (six bytes in hex),
// code, hundredths, sub-code, value, outputs, inputs.
inline ReplyFrame eventReply(int number, const char* stampHex, int code, int hundredths = 0,
                             int sub = 0, int value = 0, int outputs = 0, int inputs = 0) {
  QByteArray f = QByteArray::fromHex("0141");
  f.append(char(number));
  f.append(char(0));
  f.append(QByteArray::fromHex(stampHex));
  f.append(char(code));
  f.append(char(hundredths));
  f.append(char(sub));
  wire::appendWord(f, std::uint16_t(value));
  f.append(char(0));
  f.append(char(outputs));
  f.append(char(inputs));
  ReplyFrame r;
  r.assign(wire::withCrc(f));
  return r;
}

}  // namespace vmk::test
