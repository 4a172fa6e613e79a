// The shell's own commands: About, "Выход" and the change of page.

#include "shell/shell_commands.h"

#include "model/prompts.h"
#include "shell/app_info.h"
#include "shell/command_registry.h"
#include "shell/page_rules.h"
#include "shell/windows.h"
#include "shell/workspace.h"

namespace vmk {

AboutOutcome actAboutExecute(Prompts& prompts, const QString& folder, void* parentWindow) {
  const AboutOutcome outcome = ShowAbout(folder, parentWindow, aboutTitle(), aboutText());
  if (outcome == AboutOutcome::LibraryNotLoaded)
    prompts.error(QStringLiteral("Ошибка загрузки библиотеки"), {Button::Abort});
  return outcome;
}

void ActExitExecute(ShellContext& ws) {
  if (ws.windows) ws.windows->exitApplication();
}

void declareShellCommands(CommandRegistry& registry) {
  // None of them talks to the device: they run while a device operation
  // processes window messages.
  registry.add(WindowCommand{
      QStringLiteral("actAbout"),
      [](Workspace& ws, const Trigger&) {
        actAboutExecute(ws.prompts, ws.ProgramDir, ws.windows ? ws.windows->dialogParent() : nullptr);
      },
      false});
  registry.add(WindowCommand{QStringLiteral("ActExit"),
                             [](Workspace& ws, const Trigger&) { ActExitExecute(ws); }, false});
  // The tag is the page the user made active.
  registry.add(WindowCommand{QStringLiteral("pgcMainChange"),
                             [](Workspace& ws, const Trigger& t) { pgcMainChange(ws, t.tag); },
                             false});
}

}  // namespace vmk
