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

// What started a window handler: the tag of a shared handler and the row
// of a grid or list. The names the window runs, with what they pass:
//   a command-table action ("actPolling")  tag of the action
//   "actPort"            every action of category "Port" without an
//                        entry of its own; tag 1..7 (device/port_actions.h)
//   "N13" "N9" "N10" "N11" "N12"  the service menu items
//   "pgcMainChange"      tag = the page made active
//   "SetCommand"         tag = the command button's tag (1..8)
//   "rbAutoTimeClick"    either clock radio button
//   "rbGroup2Click"      tag = the group now selected (1 or 2)
//   "lbRelayDblClick"    row = the list's current row
//   "Grid1DblClick"      tag = the grid's tag (1 Grid1, 2 grdSett), row
//   "Grid1SelectCell"    tag, row: the grid's current row changed
//   "RefreshTimerTimer"  the refresh timer's tick
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

// A vmkctl command. `run` gets the call built from the command line and
// gives the outcome that becomes the exit code; it puts its plain lines in
// call.text and its JSON fields in call.data, and throws UsageError for a
// command line that does not fit it (exit code 2).
struct CliCommand {
  QStringList verb;  // {"params", "get"}
  QString usage;     // "params get [--group 1|2] [-o FILE.ust]"
  QString summary;   // one line of the general help
  QString help;      // "vmkctl VERB --help"; empty: usage and summary
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
void declareParamsFileCommands(CommandRegistry& registry);
void declareServiceCommands(CommandRegistry& registry);
void declareJournalCommands(CommandRegistry& registry);
void declareOscCommands(CommandRegistry& registry);
void declareReportCommands(CommandRegistry& registry);
void declareCompareCommands(CommandRegistry& registry);
void declareChangeLogCommands(CommandRegistry& registry);
void declareShellCommands(CommandRegistry& registry);
void declareBatchCommands(CommandRegistry& registry);

}  // namespace vmk
