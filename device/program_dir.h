#pragma once
// Where the program's files are. `ProgramDir` is the folder of the
// executable (templates, calibr.ini, the viewer and About libraries). The
// ini files the program writes (Front.ini, Rear.ini) lie there too when it
// is writable, as in a portable install; an installed copy keeps them in
// the per-user config folder.

#include <QString>

namespace vmk {

// The folder of the executable, ending in '/'.
QString programDir();

// The path of a settings file the program writes: in `programDir` when that
// folder is writable, else in the per-user config folder (created when
// missing).
QString writableSettingsPath(const QString& programDir, const QString& fileName);

}  // namespace vmk
