#pragma once
// `ActGetParSetExecute`: reads the parameter block and the settings of the
// selected group into Grid1 and grdSett, and the setup fields it carries
// into the device record.

#include <QLocale>

namespace vmk {

class Workspace;

// Five register reads: 64..83, 96..139, 140..143, 192..223 and the group's
// 38 settings. A read that is not answered with 2n + 5 bytes shows
// "Ошибка связи с устройством!" and stops; the rows already filled stay
// (Grid1 is emptied below them once the first read succeeded) and the port
// is closed. Returns true when all five reads succeeded. Throws Error when
// the port cannot be opened or fails.
bool ActGetParSetExecute(Workspace& ws, const QLocale& locale = QLocale());

}  // namespace vmk
