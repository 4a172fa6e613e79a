#pragma once
// A register image behind an in-memory link: answers reads (function 3)
// and single-register writes (function 6) like a device at one address,
// records every request, and falls silent on request.

#include <QList>
#include <QSet>
#include <QVector>
#include <memory>

#include "shell/workspace.h"
#include "extlib/memory_link.h"
#include "tests/support/scripted_prompts.h"

namespace vmk::test {

struct Request {
  int function;
  int reg;    // first register
  int value;  // count for reads, value for writes
  bool operator==(const Request&) const = default;
};

class FakeDevice {
 public:
  explicit FakeDevice(std::uint8_t address = 1) : m_address(address) {}

  QVector<std::uint16_t> regs = QVector<std::uint16_t>(768, 0);
  QList<Request> requests;
  int silentAfter = -1;       // answer only this many requests (-1: all)
  QSet<int> silentWrites;     // registers whose writes are not answered
  bool portOpen = false;

  QByteArray answer(const QByteArray& request);
  std::unique_ptr<SerialLink> makeLink();

  void setPassword(const QString& four);  // registers 66, 67

 private:
  std::uint8_t m_address;
};

// A device image with distinctive values in every block read.
void loadSample(FakeDevice& d);

// A session on the fake device, scripted prompts and a workspace.
struct Bench {
  FakeDevice device;
  Session session;
  ScriptedPrompts prompts;
  FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(12, 0))};
  Workspace ws{session, prompts, clock};
  Bench();
};

}  // namespace vmk::test
