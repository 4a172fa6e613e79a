#pragma once
// Network polling: which addresses answer on a connector. The window lists
// them on page 0; vmkctl prints them.
//
//   const PollResult r = pollNetwork(session, Connector::Rear, list, &gauge, jobs);
//   if (r.outcome == Outcome::Cancelled) ...   // the lines so far stay in `list`

#include <QList>
#include <QString>
#include <optional>

#include "device/connector.h"
#include "device/outcome.h"

namespace vmk {

class JobControl;
class Progress;
class Session;
class TextList;

// The status function never gives this; it stands for "no status yet" and
// for an error raised while asking.
constexpr int kNoPollingStatus = 100;

// What one address gave.
struct PolledAddress {
  int address = 0;
  // The status byte: 1 in service, 3 with a notice, 0 or 2 faulty, 4 and
  // above silent. None when nothing valid came back or the port failed.
  std::optional<int> status;
  QString line;  // its line of the device list
};

struct PollResult {
  // The addresses asked, in ascending order; when cancelled, those asked
  // before the cancel.
  QList<PolledAddress> addresses;
  Outcome outcome = Outcome::Done;  // Done, or Cancelled

  // The status byte address 1 gave; kNoPollingStatus when it gave none.
  int firstStatus() const;
  // Address 1 answered 1 or 3: the window connects to it at once.
  bool firstAnswers() const;
};

// Asks the status of address 1 on the front connector, of 1..32 on the
// rear one, one job step per address (the job shows its position on
// `gauge`, when given, lets the face paint and take a cancel), and appends
// each address's line to `list` (emptied first) as soon as it is known. A
// port failure while asking one address closes and reopens the port and
// lists the address as silent; a port that cannot be reopened throws Error.
// The port is opened when closed and closed again at the end when polling
// opened it; one the caller holds open stays open (the window connects
// right after). A cancel asked for ends polling before the next address
// with Outcome::Cancelled.
PollResult pollNetwork(Session& session, Connector connector, TextList& list, Progress* gauge,
                       JobControl& jobs);

// The list line for a status byte at `address` (kNoPollingStatus for none).
QString pollingLine(int status, int address);
QString pollingLine(const std::optional<int>& status, int address);

}  // namespace vmk
