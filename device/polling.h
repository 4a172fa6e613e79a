#pragma once
// Network polling: which addresses answer on the chosen connector, listed in
// `lbRelay` on page 0.

#include <QString>

namespace vmk {

class PageState;
class Workspace;

// `GetF07` never gives this; it stands for "no status yet" and for an error
// raised while asking.
constexpr int kNoPollingStatus = 100;

// `actPollingExecute`: polls address 1 on the front connector, 1..32 on the
// rear one (advancing `Gauge1`), one list line per address in order, with
// the main window disabled and window messages dispatched once per address.
// An error raised while asking one address closes and reopens the port and
// lists that address as silent. When address 1 answers 1 or 3 it connects to
// it at once. An error of the connection, or a port that cannot be
// reopened, propagates to the caller with the window enabled again and the
// port closed. The caller holds the session's busy flag.
void actPollingExecute(Workspace& ws);

// The list line for a status byte of function 7 at `address`.
QString PollingLine(int status, int address);

// True when the rear connector (RS485 network, addresses 1..32) is chosen.
bool RearConnectorChosen(const PageState& pages);

}  // namespace vmk
