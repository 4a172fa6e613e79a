#pragma once
// Where the program's files are. `ProgramDir` is the folder of the
// program's own files (templates, calibr.ini, the viewer and About
// libraries): the folder of the executable in a build tree or a portable
// copy, lib/<triplet>/vmkconf beside bin/ in an installed one (see
// packaging/). The ini files the program writes (Front.ini, Rear.ini) lie
// there too when it is the executable's own, writable folder; an installed
// copy keeps them in the per-user config folder, whoever runs it.
//
// On Windows the program folder is always the executable's (View.dll and
// About.dll beside it); a copy under Program Files is an installed one and
// keeps the user's files in the user's application-data folder
// (program_dir_win.cpp).

#include <QString>

namespace vmk {

// The program folder of an installed copy, relative to the install prefix:
// "lib/x86_64-linux-gnu/vmkconf/" on Debian (ends in '/'); empty on Windows.
QString installedProgramDir();

// The folder of the program's files for an executable in `exeDir`: `exeDir`
// itself when it holds the viewer library or no installed folder exists,
// else `exeDir`/../installedProgramDir(). Ends in '/'.
QString programDirFor(const QString& exeDir);

// programDirFor the running executable.
QString programDir();

// True when `programDir` is the folder of an installed copy
// (…/installedProgramDir(); on Windows under Program Files).
bool isInstalledProgramDir(const QString& programDir);

// The per-user folder of the ini files: ~/.config/vmkconf, on Windows
// %APPDATA%\vmkconf (not made here).
QString userConfigDir();
// The same as help texts name it: "~/.config/vmkconf", "%APPDATA%\vmkconf".
QString userConfigDirShown();

// The path of a file the program only reads (calibr.ini): for an installed
// copy the user's own in userConfigDir() when there is one, else the one
// in `programDir`.
QString readableFilePath(const QString& programDir, const QString& fileName);

// The path of a settings file the program writes: in `programDir` when that
// folder is writable and not an installed one, else in the per-user config
// folder (created when missing).
QString writableSettingsPath(const QString& programDir, const QString& fileName);

}  // namespace vmk
