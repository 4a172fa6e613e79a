#include "shell/data_module_create.h"

#include "link/messages.h"
#include "monitor/messages.h"
#include "shell/journal_commands.h"
#include "shell/command_table.h"
#include "shell/page_rules.h"
#include "shell/port_commands.h"
#include "shell/workspace.h"

namespace vmk {

namespace {

// Loads Front.ini and tests the port, asking for settings when it cannot be
// opened.
void startupPortTest(Workspace& ws) { portStartupCheck(ws); }

// The parameter and setting grids show the catalogue's rows, empty.
void fillCatalogueGrids(Workspace& ws) {
  ws.parameters.params.clearParameters();
  ws.parameters.params.clearSettings(ws.parameters.SettingGroup);
}

}  // namespace

void DataModuleCreate(Workspace& ws, const QString& programDir) {
  ws.pages.setMenuVisible(kMenuService, false);
  ws.ProgramDir = programDir;
  if (!ws.ProgramDir.isEmpty() && !ws.ProgramDir.endsWith(QLatin1Char('/')))
    ws.ProgramDir += QLatin1Char('/');
  startupPortTest(ws);
  ws.session.closePort();
  showConnector(ws);
  ws.session.DeviceAddress = 0;
  BlockTabSheet(ws, true);
  ws.monitor.AutoRefreshOn = false;
  ws.status.setText(panel::kNote, msg::kAutoRefreshOff);
  for (TextGrid* grid : {&ws.parameters.Grid1, &ws.parameters.grdSett}) {
    grid->setColumnWidth(3, 0);
    grid->setColumnWidth(4, 0);
  }
  fillCatalogueGrids(ws);
  for (int column = 2; column <= 4; ++column) ws.journals.grdAlarm.setColumnWidth(column, 0);
  prepareJournalPages(ws);
  ws.link.Gauge1.setMaximum(31);
  ws.pages.setActivePage(kPagePolling);
}

void DataModuleDestroy(ShellContext& ws) { portShutdown(ws); }

}  // namespace vmk
