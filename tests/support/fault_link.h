#pragma once
// A SerialLink around another one that records every request and can spoil
// the exchange of chosen requests: a port failure, silence, or a reply cut
// short. The plan and the record outlive the links a port opens, so tests
// keep them in a LinkPlan and give each new link a reference to it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "extlib/serial_link.h"

namespace vmk::test {

// Refuse: the device answers the request with an exception reply
// (function | 0x80, code 4) instead of carrying it out.
// Corrupt: one byte of the reply changed, so its CRC fails.
// Delay: the reply comes after the time-out: nothing arrives in this
//   exchange, and the reply lands in the next one (after its discard).
// Garbage: line noise before the reply (with the device's address and
//   the flow-control bytes among it).
// LateReply: the reply to the previous request arrives again just before
//   this one's.
// Vanish: the port disappears (a USB adapter pulled): this write and every
//   read and write after it fail, and so does every open until
//   LinkPlan::gone is cleared.
enum class Fault { None, Throw, Silence, Truncate, Refuse, Corrupt, Delay, Garbage, LateReply, Vanish };

struct LinkPlan {
  // Asked for every request (the frame with its CRC).
  std::function<Fault(const QByteArray& request)> fault;
  QList<QByteArray> requests;
  int opens = 0;
  // Not empty: every open fails with this text (a port that is not there).
  QString openError;
  // The port has gone (set by Fault::Vanish).
  bool gone = false;

  // Requests of one function code.
  QList<QByteArray> requestsOf(int function) const;
};

class FaultLink : public SerialLink {
 public:
  FaultLink(std::unique_ptr<SerialLink> inner, LinkPlan& plan)
      : m_inner(std::move(inner)), m_plan(plan) {}

  bool open() override;
  void close() override { m_inner->close(); }
  bool isOpen() const override { return m_inner->isOpen(); }
  QString errorString() const override {
    return m_error.isEmpty() ? m_inner->errorString() : m_error;
  }
  void write(const QByteArray& bytes) override;
  QByteArray read(int timeoutMs) override;
  void discardInput() override;

 private:
  std::unique_ptr<SerialLink> m_inner;
  LinkPlan& m_plan;
  void checkGone() const;

  Fault m_current = Fault::None;
  QByteArray m_refusal;
  QByteArray m_delayed;    // a reply past its time-out, on its way
  QByteArray m_late;       // bytes that arrive at the start of the next read
  QByteArray m_lastReply;  // what the previous exchange delivered
  QString m_error;
};

}  // namespace vmk::test
