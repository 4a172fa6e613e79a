#pragma once
// The command registry: each subsystem declares its commands once, in its
// own file here (shell/<subsystem>_commands.cpp): the name the window knows
// (a command-table entry such as "actPolling", a menu item such as "N13",
// or a page control's handler such as "SetCommand") with the handler that
// reads the window's state and runs the operation, and, for what vmkctl
// offers, the verb with what it runs. The data module binds its QActions
// and controls by walking the registry; vmkctl dispatches by walking it.
//
// Adding a command: the operation in its subsystem's folder, the entry of
// the command table (shell/command_table.cpp) when it is one, and one
// `add` in the subsystem's declaration file. See docs/architecture.md.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "device/outcome.h"

namespace vmk {

class CliCall;
class Workspace;

// What started a window handler: the tag of a shared handler (port
// commands, command buttons, the group radio buttons, grid header
// controls) and the row of a grid or list.
struct Trigger {
  int tag = 0;
  int row = -1;
};

struct WindowCommand {
  QString name;
  std::function<void(Workspace&, const Trigger&)> run;
  // A device operation is refused while another runs (the busy rule); the
  // port is closed after an error it leaves unhandled.
  bool deviceOperation = true;
};

struct CliCommand {
  QStringList verb;  // {"params", "get"}
  QString usage;     // "params get [--group 1|2] [-o FILE.ust]"
  QString summary;   // one line of the general help
  QString help;      // the command's own help text
  std::function<Outcome(CliCall&)> run;
};

class CommandRegistry {
 public:
  void add(WindowCommand command);
  void add(CliCommand command);

  const QList<WindowCommand>& windowCommands() const { return m_window; }
  const QList<CliCommand>& cliCommands() const { return m_cli; }

  // The window command of that name, or nullptr.
  const WindowCommand* findWindow(const QString& name) const;
  // The command-line command whose verb is the longest match at the start
  // of `words`, or nullptr.
  const CliCommand* findCli(const QStringList& words) const;

 private:
  QList<WindowCommand> m_window;
  QList<CliCommand> m_cli;
};

// Every subsystem's commands, declared once on first use.
const CommandRegistry& commandRegistry();

// The declaration of each subsystem (one file each).
void declarePortCommands(CommandRegistry& registry);
void declareLinkCommands(CommandRegistry& registry);
void declareMonitorCommands(CommandRegistry& registry);
void declareParamsCommands(CommandRegistry& registry);
void declareServiceCommands(CommandRegistry& registry);
void declareShellCommands(CommandRegistry& registry);

}  // namespace vmk
