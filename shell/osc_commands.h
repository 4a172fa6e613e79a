#pragma once
// The oscillogram download over the workspace: the alarm grid's popup item
// "Получить" (`actGetInterrupt`) downloads the oscillogram of the selected
// alarm row into a COMTRADE pair (journals/osc_download.h). vmkctl offers
// "osc".

namespace vmk {

struct JournalPages;
class ShellContext;

// `actGetInterruptExecute`: a row whose entry was never read offers to
// read the alarm list, an entry without a fault is refused, the download is confirmed, the
// port opened and the file chosen (the maker's form or, as the dialog's
// second choice, COMTRADE 1999), then the download runs with GugAlarm and
// the window taking no input (its cancel stays reachable). The caller
// holds the busy flag.
void actGetInterruptExecute(ShellContext& ws, JournalPages& journalPages);

}  // namespace vmk
