// Passwords and the service functions: the commands of the window and of vmkctl.

#include "shell/service_commands.h"

#include "model/messages.h"
#include "service/change_password.h"
#include "shell/command_registry.h"
#include "shell/workspace.h"

namespace vmk {

bool actChangePassExecute(Workspace& ws) {
  const Outcome outcome =
      changePassword(ws.session, ws.prompts, ws.session.vmk.setup.DevicePassword);
  if (isLinkFailure(outcome) || outcome == Outcome::DeviceRefused)
    ws.prompts.error(msg::kLinkError);
  return outcome == Outcome::Done;
}

void declareServiceCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actChangePass"),
                             [](Workspace& ws, const Trigger&) { actChangePassExecute(ws); }});
}

}  // namespace vmk
