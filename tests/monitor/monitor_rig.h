#pragma once
// One simulated device at address 1 on the in-process bus, a connected
// session, scripted prompts, a fixed PC clock, page 1 active.

#include <memory>

#include "shell/workspace.h"
#include "monitor/current_values.h"
#include "monitor/live_view.h"
#include "monitor/remote_control.h"
#include "shell/command_table.h"
#include "sim/bus.h"
#include "sim/bus_link.h"
#include "tests/support/fake_interval_timer.h"
#include "tests/support/scripted_prompts.h"

namespace vmk::test {

struct MonitorRig {
  explicit MonitorRig(const QLocale& locale = QLocale::c())
      : clock(QDateTime(QDate(2011, 3, 14), QTime(9, 26, 53))),
        bus({1}, 1, 7, [this] { return clock.now(); }),
        session(sim::busLinkFactory(bus, {}, [this](sim::BusLink&) { ++linksMade; })),
        ws(session, prompts, clock),
        values(ws, view, timer, locale),
        commands(ws, view) {
    ws.processEvents = [] {};
    applyCommandTable(ws.pages);
    session.DeviceAddress = 1;
    SetupFields& s = session.vmk.setup;
    s.DevicePassword = QStringLiteral("ABCD");
    s.CtPrimary = 200;
    s.CtSecondary = 5;
    s.EarthCtPrimary = 30;
    s.EarthCtSecondary = 10;
    ws.pages.setActivePage(kPageDinamic);
    // No protection stage has operated.
    for (int reg = 17; reg <= 21; ++reg) device().setRegister(reg, 0);
  }

  sim::Device& device() { return *bus.device(1); }
  QString label(const char* name) const { return ws.labels.text(QString::fromLatin1(name)); }

  FixedClock clock;
  sim::Bus bus;
  int linksMade = 0;
  Session session;
  ScriptedPrompts prompts;
  Workspace ws;
  LiveView view;
  FakeIntervalTimer timer;
  CurrentValues values;
  RemoteControl commands;
};

}  // namespace vmk::test
