// Passwords and the service functions: the commands of the window and of vmkctl.

#include "shell/service_commands.h"

#include "model/messages.h"
#include "service/change_password.h"
#include "service/service_menu.h"
#include "shell/command_registry.h"
#include "shell/command_table.h"
#include "shell/windows.h"
#include "shell/workspace.h"

namespace vmk {

void declareServiceCliCommands(CommandRegistry& registry);

namespace {

ServiceContext contextOf(Workspace& ws) { return {ws.session, ws.prompts, ws.monitor.mmMess, ws.clock}; }

void showCalibrationWindow(ShellContext& ws) {
  if (ws.windows) ws.windows->showCalibration();
}

bool deviceConnected(const ShellContext& ws) { return ws.pages.isTabVisible(kPageDinamic); }

}  // namespace

bool actChangePassExecute(ShellContext& ws) {
  const Outcome outcome =
      changePassword(ws.session, ws.prompts, ws.session.vmk.setup.DevicePassword);
  if (isLinkFailure(outcome) || outcome == Outcome::DeviceRefused)
    ws.prompts.error(msg::kLinkError);
  return outcome == Outcome::Done;
}

void actCalibrExecute(ShellContext& ws) {
  PortBracket port(ws.session);
  showCalibrationWindow(ws);
}

void revealServiceMenu(ShellContext& ws) {
  PageState& p = ws.pages;
  const bool first = !p.isMenuVisible(kMenuService);
  p.setMenuVisible(kMenuService, true);
  p.setMenuEnabled(kMenuService, deviceConnected(ws));
  if (!first) return;
  // From now on the menu follows the connection: a connection shows page 1,
  // a lost one hides it.
  QObject::connect(&p, &PageState::tabVisibilityChanged, &p, [&p](int page, bool visible) {
    if (page == kPageDinamic) p.setMenuEnabled(kMenuService, visible);
  });
}

void declareServiceCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actChangePass"),
                             [](Workspace& ws, const Trigger&) { actChangePassExecute(ws); }});
  registry.add(WindowCommand{QStringLiteral("actCalibr"),
                             [](Workspace& ws, const Trigger&) { actCalibrExecute(ws); }});
  registry.add(WindowCommand{QStringLiteral("N13"), [](Workspace& ws, const Trigger&) {
                               N13Click(contextOf(ws), [&ws] { showCalibrationWindow(ws); });
                             }});
  registry.add(WindowCommand{QStringLiteral("N9"),
                             [](Workspace& ws, const Trigger&) { N9Click(contextOf(ws)); }});
  const std::pair<const char*, ServiceErase> erasing[] = {{"N10", ServiceErase::ClearStats},
                                                          {"N11", ServiceErase::EraseOsc},
                                                          {"N12", ServiceErase::EraseEvents}};
  for (const auto& [name, what] : erasing)
    registry.add(WindowCommand{QString::fromLatin1(name), [what = what](Workspace& ws, const Trigger&) {
                                 runServiceErase(contextOf(ws), what);
                               }});
  registry.add(WindowCommand{QStringLiteral("ShowServiceMenu"),
                             [](Workspace& ws, const Trigger&) { revealServiceMenu(ws); }, false});
  declareServiceCliCommands(registry);
}

}  // namespace vmk
