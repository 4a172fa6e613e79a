#pragma once
// The journal pages' command over the workspace: "Получить данные"
// (`actGetData`, also menu "Журналы") reads the journal of the open page
// (journals/) into its grid with `ProgressBar1` and shows what went wrong.
// vmkctl offers "events", "stats" and "alarms".

#include <QLocale>

namespace vmk {

struct JournalPages;
class ShellContext;

// `actGetDataExecute`: page 4 reads the event journal into GrdEvent, page 5
// the statistics into grdStat, page 6 the alarm list into grdAlarm; any
// other page opens and closes the port and reads nothing. The main window
// takes no input while it reads (its cancel stays reachable). A cancel
// keeps the rows written and says "Операция прервана" in status panel 3; a
// failed exchange keeps them too and shows "Ошибка связи с устройством!",
// or the alarm list's receive error. The port is closed and the bar hidden
// before any box. The caller holds the busy flag.
void actGetDataExecute(ShellContext& ws, JournalPages& journalPages, const QLocale& locale = QLocale());

// What the journal pages need at start: the alarm grid's popup item
// "Получить" stays disabled while no command answers to it.
void prepareJournalPages(ShellContext& ws);

}  // namespace vmk
