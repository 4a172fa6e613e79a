#pragma once
// Polling and connection as the window and vmkctl run them: the window's
// handlers read the workspace (the chosen connector, the selected list
// line), run the operations of link/ and show what they found; vmkctl's
// commands take the address and connector from the command line (and
// connect with shell/cli_connect.h, as every vmkctl command does).

#include <cstdint>

#include "device/connector.h"
#include "device/outcome.h"

namespace vmk {

struct LinkPage;
class PageState;
class ShellContext;

// The connector the window has chosen: rear when `actReaPort` is checked
// (and `actFrontPort` is not).
Connector chosenConnector(const PageState& pages);
bool rearConnectorChosen(const PageState& pages);

// `actPollingExecute`: empties the report, the list and status panel 2,
// forgets the address, hides the device pages, and polls the chosen
// connector with the main window disabled and, on the rear connector,
// `Gauge1` shown. When address 1 answers 1 or 3 it connects to it at once.
// A cancelled polling keeps the lines it listed, connects to nothing,
// closes the port and says so in status panel 3. An error of the
// connection, or a port that cannot be reopened, propagates with the
// window enabled again and the port closed. The caller holds the busy flag.
void actPollingExecute(ShellContext& ws, LinkPage& page);

// What polling shows before it asks the line: no device chosen, the list
// and the connection report empty, the device pages hidden.
void forgetDevice(ShellContext& ws, LinkPage& page);

// `actGetStartInfoExecute`: connects to the device of the selected list
// line (line i = address i + 1) and shows it: the report in `Memo1`,
// status panel 2, the device pages, `actPrint`. With no line selected only
// the memo and status panel 2 are emptied; a device that does not answer
// the status request is left silently; a failed read shows "Ошибка связи с
// устройством!". Other errors propagate; the port is closed on every way
// out.
void actGetStartInfoExecute(ShellContext& ws, LinkPage& page);

// `lbRelayDblClick`: the same connection, but an error raised by it hides
// the device pages again and shows "Устройство не подключено".
void lbRelayDblClick(ShellContext& ws, LinkPage& page);

}  // namespace vmk
