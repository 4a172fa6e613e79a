#include "shell/cli_connect.h"

#include "link/connection.h"
#include "link/messages.h"
#include "link/polling.h"
#include "model/clock.h"
#include "model/messages.h"
#include "model/prompts.h"
#include "shell/cli_call.h"

namespace vmk {

Outcome reportConnection(CliCall& call, const Connection& c, bool silentFails) {
  if (c.readFailed()) {
    call.prompts.error(msg::kLinkError);
    return c.outcome;
  }
  if (!c.ok()) {
    if (!silentFails) return Outcome::Done;
    call.prompts.error(pollingLine(kNoPollingStatus, c.address));
    return c.outcome;
  }
  if (c.clockUndefined()) call.prompts.warning(msg::link::kBadDeviceClock);
  return Outcome::Done;
}

Outcome connectForCommand(CliCall& call, Connection* connection) {
  const std::uint8_t address = call.rear ? call.address : kFrontAddress;
  const Connection c = connectDevice(call.session, address, call.clock.now().date());
  if (connection) *connection = c;
  return reportConnection(call, c, true);
}

}  // namespace vmk
