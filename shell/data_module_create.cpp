#include "shell/data_module_create.h"

#include "link/messages.h"
#include "monitor/messages.h"
#include "params/catalogue.h"
#include "shell/journal_commands.h"
#include "shell/command_table.h"
#include "shell/page_rules.h"
#include "shell/port_commands.h"

namespace vmk {

namespace {

// Loads Front.ini and tests the port, asking for settings when it cannot be
// opened.
void startupPortTest(Workspace& ws) { portStartupCheck(ws); }

// Lays out the captions and registers of the parameter and setting grids.
void fillCatalogueGrids(Workspace& ws) {
  FillParamList(ws.Grid1);
  FillUstList(ws.grdSett, ws.SettingGroup);
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
  ws.AutoRefreshOn = false;
  ws.status.setText(panel::kNote, msg::kAutoRefreshOff);
  for (TextGrid* grid : {&ws.Grid1, &ws.grdSett}) {
    grid->setColumnWidth(3, 0);
    grid->setColumnWidth(4, 0);
  }
  fillCatalogueGrids(ws);
  for (int column = 2; column <= 4; ++column) ws.grdAlarm.setColumnWidth(column, 0);
  prepareJournalPages(ws);
  ws.Gauge1.setMaximum(31);
  ws.pages.setActivePage(kPagePolling);
}

void DataModuleDestroy(Workspace& ws) { portShutdown(ws); }

}  // namespace vmk
