#pragma once
// "Печать" (`actPrint`): the report of the open page as an Excel workbook
// made from its template beside the program (reports/). vmkctl offers
// "report".

#include <QLocale>

#include "model/prompts.h"

namespace vmk {

struct JournalPages;
struct ParamsPage;
class ShellContext;

// `SaveDialog3`, shared by the four reports; ShellContext::reportFileName
// keeps its last file name.
FileDialog reportDialog();

// `actPrintExecute`. Pages 0 and 1 open and close the port and do nothing
// else. Pages 2 and 3 make the device report: the viewer library and its
// `GetFuncAr` are reached first ("Ошибка загрзки библиотеки!" / "Ошибка
// загрзки функции!" with Abort), then the dialog, then the five reads
// ("Ошибка связи с устройством!" when one fails; nothing is written). The
// device report's dialog has a check box for the device password's letters;
// unticked, its cell holds "****".
// Pages 4 to 6 make the journal report of their grid as it stands. A
// written report is followed by the question "Формирование файла
// завершено" / "Файл: "..."" / "Открыть файл?", and Yes opens the file with
// the desktop's program for it; a failure of the engine shows its message.
// The port is closed before any box after the dialog.
void actPrintExecute(ShellContext& ws, JournalPages& journalPages, const QLocale& locale = QLocale());

// "Отчёт по файлу уставок..." (menu "Программа"): the device report's
// sheets made of the settings file opened on the parameters page, as the
// page holds it now (its edits included, no device value the file did not
// replace); with no file opened, of a file chosen in the open dialog. No
// device is asked and no port opened, whether one is connected or not. The
// viewer library is reached first (its boxes with Abort), then the save
// dialog; the question after it is that of "Печать".
void actFileReportExecute(ShellContext& ws, const ParamsPage& page, const QLocale& locale = QLocale());

}  // namespace vmk
