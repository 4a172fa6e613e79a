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
enum class Fault { None, Throw, Silence, Truncate, Refuse };

struct LinkPlan {
  // Asked for every request (the frame with its CRC).
  std::function<Fault(const QByteArray& request)> fault;
  QList<QByteArray> requests;
  int opens = 0;
  // Not empty: every open fails with this text (a port that is not there).
  QString openError;

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
  Fault m_current = Fault::None;
  QByteArray m_refusal;
  QString m_error;
};

}  // namespace vmk::test
