#pragma once
// Page 1's handlers over its state (MonitorPage): each reads it, runs
// the live-value or command operation (monitor/) and shows what it gave as
// the page always has. The registry binds them by their window names
// ("actrefresh", "actSetTimerRefresh", "RefreshTimerTimer", "SetCommand",
// "rbAutoTimeClick"); vmkctl offers "live" and "command".

#include "monitor/current_values.h"

namespace vmk {

class CommandRegistry;
class IntervalTimer;
struct MonitorPage;
class ShellContext;
class Workspace;

// Gives page 1 its refresh timer. Once per workspace, by its face (the
// data module with its RefreshTimer, an operation test with a fake).
void attachMonitorPage(Workspace& ws, IntervalTimer& timer);

// The auto-refresh switch over the page and the status bar.
AutoRefresh autoRefreshOf(ShellContext& ws, MonitorPage& page);

// Stops the timer, shows the switch off and lets the next measurement
// error be told again; the page-change rule runs it first on every change.
void switchAutoRefreshOff(ShellContext& ws, MonitorPage& page);

// "Обновить" (F5). Nothing off page 1. One read of the live block; what it
// found goes to the labels, lamps and mmMess and is kept as the page's
// last refresh. A reply that is not a whole live block throws
// Error("Ошибка связи с устройством!") with the page as it was.
void actrefreshExecute(ShellContext& ws, MonitorPage& page);

// "Авто опрос": asks for the interval and starts the timer, or stops it.
void actSetTimerRefreshExecute(ShellContext& ws, MonitorPage& page);

// Tick of `RefreshTimer`. Nothing unless page 1 is active and the
// auto-refresh is on. The caller holds the session's busy flag for the
// whole tick. A refresh that fails (an error of the port included)
// switches the auto-refresh off, tells the user in a box, makes page 0
// active through the page-change rule and runs polling; an error of
// polling is left to the caller.
void RefreshTimerTimer(Workspace& ws);

// The eight command buttons; `tag` 1..8 selects the command, any other tag
// does nothing. The password (command form) first: a cancelled or refused
// entry sends nothing. The clock moment is taken after the password step.
void SetCommand(ShellContext& ws, MonitorPage& page, int tag);

// Both clock-source radio buttons.
void rbAutoTimeClick(ShellContext& ws, MonitorPage& page);

// vmkctl's "live" and "command" (shell/monitor_commands_cli.cpp).
void declareMonitorCliCommands(CommandRegistry& registry);

}  // namespace vmk
