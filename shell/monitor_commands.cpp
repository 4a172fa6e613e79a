// Live values and remote commands: the commands of the window and of vmkctl.

#include "shell/monitor_commands.h"

#include "shell/link_commands.h"
#include "extlib/transport_error.h"
#include "model/messages.h"
#include "monitor/messages.h"
#include "monitor/remote_control.h"
#include "service/password_check.h"
#include "shell/command_registry.h"
#include "shell/page_rules.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

CurrentValues currentValuesOf(ShellContext& ws, MonitorPage& page) {
  return CurrentValues(page.labels, page.view, page.mmMess, ws.prompts, ws.clock, page.locale);
}

// The refresh of page 1: its outcome; Done without a word off page 1. A
// tick shows the measurement error once, not a box a tick.
Outcome refreshPage(ShellContext& ws, MonitorPage& page, bool tick = false) {
  if (ws.pages.activePage() != kPageDinamic) return Outcome::Done;
  const Result<LiveSnapshot> live = readLiveValues(ws.session);
  if (!live) return live.outcome;
  page.last = live.value;
  CurrentValues values = currentValuesOf(ws, page);
  if (tick) values.showMeasurementErrorOnce(page.measurementErrorShown);
  values.show(live.value);
  return Outcome::Done;
}

}  // namespace

void switchAutoRefreshOff(ShellContext& ws, MonitorPage& page) {
  autoRefreshOf(ws, page).switchOff();
  page.measurementErrorShown = false;
}

void attachMonitorPage(Workspace& ws, IntervalTimer& timer) {
  ws.monitor.timer = &timer;
}

AutoRefresh autoRefreshOf(ShellContext& ws, MonitorPage& page) {
  return AutoRefresh(page.timer, page.AutoRefreshOn, ws.status, ws.pages, ws.prompts, page.locale);
}

void actrefreshExecute(ShellContext& ws, MonitorPage& page) {
  // Reported as every error an operation leaves: in a box under the
  // application title.
  if (refreshPage(ws, page) != Outcome::Done) throw Error(msg::kLinkError);
}

void actSetTimerRefreshExecute(ShellContext& ws, MonitorPage& page) {
  page.measurementErrorShown = false;
  autoRefreshOf(ws, page).actSetTimerRefreshExecute();
}

void RefreshTimerTimer(Workspace& ws) {
  if (ws.pages.activePage() != kPageDinamic || !ws.monitor.AutoRefreshOn) return;
  Outcome outcome = Outcome::PortFailure;
  try {
    outcome = refreshPage(ws, ws.monitor, true);
  } catch (const Error&) {
  }
  if (outcome == Outcome::Done) return;

  // Off first, so that no tick comes while the box is open.
  switchAutoRefreshOff(ws, ws.monitor);
  ws.prompts.box(MessageBox{msg::kDataLostCaption, BoxIcon::Error, msg::kDataLost, {Button::Ok}});
  pgcMainChange(ws, kPagePolling);
  // A port that has failed (gone from the system, its line closed) cannot
  // be polled: polling would only say the same failure again in a second
  // box. The window shows no device, as after a polling that found none.
  if (outcome == Outcome::PortFailure)
    forgetDevice(ws, ws.link);
  else
    actPollingExecute(ws, ws.link);
}

void SetCommand(ShellContext& ws, MonitorPage& page, int tag) {
  const std::optional<RemoteCommand> command = commandOfTag(tag);
  if (!command) return;
  if (!CheckPassword(ws.prompts, ws.session.vmk.setup.DevicePassword, PasswordForm::Command))
    return;
  const QDateTime moment =
      *command == RemoteCommand::ClockSet ? clockMoment(page.view, ws.clock) : QDateTime();
  const Outcome outcome = sendRemoteCommand(ws.session, *command, moment);
  showCommandOutcome(*command, moment, outcome, page.mmMess, ws.prompts, ws.clock);
}

void rbAutoTimeClick(ShellContext& ws, MonitorPage& page) { vmk::rbAutoTimeClick(page.view, ws.clock); }

void declareMonitorCommands(CommandRegistry& registry) {
  registry.add(WindowCommand{QStringLiteral("actrefresh"),
                             [](Workspace& ws, const Trigger&) { actrefreshExecute(ws, ws.monitor); }});
  registry.add(WindowCommand{QStringLiteral("actSetTimerRefresh"),
                             [](Workspace& ws, const Trigger&) { actSetTimerRefreshExecute(ws, ws.monitor); }});
  registry.add(WindowCommand{QStringLiteral("RefreshTimerTimer"),
                             [](Workspace& ws, const Trigger&) { RefreshTimerTimer(ws); }});
  registry.add(WindowCommand{QStringLiteral("SetCommand"),
                             [](Workspace& ws, const Trigger& t) { SetCommand(ws, ws.monitor, t.tag); }});
  registry.add(WindowCommand{QStringLiteral("rbAutoTimeClick"),
                             [](Workspace& ws, const Trigger&) { rbAutoTimeClick(ws, ws.monitor); }, false});
  declareMonitorCliCommands(registry);
}

}  // namespace vmk
