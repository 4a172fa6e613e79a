#pragma once
// Misbehaviour on request, for the in-process link and for vmksim: replies
// dropped, corrupted (one byte changed, so the CRC no longer fits),
// truncated, delayed, or every reply dropped after the first N requests;
// over TCP also the connection reset at a request, or a gateway's reply
// under a wrong transaction id.

#include <QByteArray>

#include "sim/rng.h"

namespace vmk::sim {

struct FaultPlan {
  double drop = 0;      // probability that a reply is not sent
  double corrupt = 0;   // probability that one byte of a reply is changed
  double truncate = 0;  // probability that a reply stops short
  int delayMs = 0;      // extra time before every reply
  int silentAfter = -1; // answer only the first N requests (-1: all)
  // Over TCP (vmksim --tcp), by request number from 1 (0: never): the
  // connection is reset instead of answering that request; a gateway
  // answers that request under another transaction id.
  int resetAt = 0;
  int wrongTransactionAt = 0;
  std::uint64_t seed = 1;
};

class FaultInjector {
 public:
  explicit FaultInjector(const FaultPlan& plan = {}) : m_plan(plan), m_rng(plan.seed) {}

  const FaultPlan& plan() const { return m_plan; }
  void setPlan(const FaultPlan& plan) {
    m_plan = plan;
    m_rng = Rng(plan.seed);
    m_requests = 0;
  }
  int requests() const { return m_requests; }
  // The network faults of the request apply() counts next.
  bool resetsNext() const { return m_plan.resetAt > 0 && m_requests + 1 == m_plan.resetAt; }
  bool wrongTransactionNext() const {
    return m_plan.wrongTransactionAt > 0 && m_requests + 1 == m_plan.wrongTransactionAt;
  }

  // Counts one request and returns what of its reply goes on the line
  // (empty: nothing).
  QByteArray apply(const QByteArray& reply);

 private:
  FaultPlan m_plan;
  Rng m_rng;
  int m_requests = 0;
};

}  // namespace vmk::sim
