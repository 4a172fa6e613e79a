#include "shell/page_rules.h"

#include "journals/journal_kinds.h"
#include "monitor/current_values.h"
#include "shell/command_table.h"
#include "shell/monitor_commands.h"
#include "shell/workspace.h"

namespace vmk {

const QStringList& pageDependentActions() {
  static const QStringList names{
      QStringLiteral("actPolling"),  QStringLiteral("actGetStartInfo"),
      QStringLiteral("actCalibr"),   QStringLiteral("actrefresh"),
      QStringLiteral("actSetTimerRefresh"), QStringLiteral("actGetData"),
      QStringLiteral("ActOpenFile"), QStringLiteral("ActSaveFile")};
  return names;
}

void pgcMainChange(Workspace& ws, int page) {
  if (page < 0 || page >= ws.pages.pageCount()) return;
  ws.pages.setActivePage(page);
  // Any page change stops the live values' auto-refresh, where the face
  // gave the page a refresh timer.
  if (ws.monitor.timer) switchAutoRefreshOff(ws, ws.monitor);

  PageState& p = ws.pages;
  for (const QString& name : pageDependentActions()) p.setEnabled(name, false);

  switch (page) {
    case kPagePolling:
      p.setEnabled(QStringLiteral("actPolling"), true);
      p.setEnabled(QStringLiteral("actGetStartInfo"), true);
      p.setEnabled(QStringLiteral("actCalibr"), true);
      break;
    case kPageDinamic: {
      p.setEnabled(QStringLiteral("actrefresh"), true);
      p.setEnabled(QStringLiteral("actSetTimerRefresh"), true);
      showTransformerRatios(ws.monitor.labels, ws.session.vmk.setup);
      break;
    }
    case kPageParam:
      ws.status.setText(panel::kNote, QString());
      p.setEnabled(QStringLiteral("ActOpenFile"), true);
      p.setEnabled(QStringLiteral("ActSaveFile"), true);
      break;
    case kPageSettings:
      p.setEnabled(QStringLiteral("ActOpenFile"), true);
      p.setEnabled(QStringLiteral("ActSaveFile"), true);
      break;
    default:  // the journal pages
      p.setEnabled(QStringLiteral("actGetData"), true);
      p.setMenuEnabled(kMenuService, true);
      break;
  }
}

void BlockTabSheet(ShellContext& ws, bool block) {
  PageState& p = ws.pages;
  if (block) {
    for (int page = kPageEvents; page < p.pageCount(); ++page) p.setTabVisible(page, false);
    p.setTabVisible(kPageDinamic, false);
    return;
  }
  for (int page = kPageDinamic; page < p.pageCount(); ++page) p.setTabVisible(page, true);
  if (!hasJournals(ws.session.vmk))
    for (int page = kPageEvents; page < p.pageCount(); ++page) p.setTabVisible(page, false);
}

TextGrid* gridForHeaderTag(Workspace& ws, int tag) {
  switch (tag) {
    case 1: return &ws.parameters.Grid1;
    case 2: return &ws.parameters.grdSett;
  }
  // The journals' headers are tagged in their rows of the table.
  for (const JournalSpec& j : journalKinds())
    if (j.window.headerTag == tag) return &ws.journals.grid(j.kind);
  return nullptr;
}

void Header1SectionResize(Workspace& ws, int tag, int section, int width) {
  if (TextGrid* grid = gridForHeaderTag(ws, tag))
    grid->setColumnWidth(section, width > 2 ? width - 2 : 0);
}

bool FormCloseQuery(ShellContext& ws, const ParamsPage& params) {
  if (!params.ParamsModified) return true;
  const Button answer = ws.prompts.warning(
      QStringLiteral("Имеются несохраненные изменения.\rОтменить изменения и завершить "
                     "работу программы?"),
      {Button::No, Button::Ok});
  return answer != Button::No;
}

}  // namespace vmk
