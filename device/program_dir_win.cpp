#include "device/program_dir.h"

#include <windows.h>
#include <shlobj.h>

#include <QDir>
#include <QStandardPaths>

namespace vmk {

namespace {

QString withSlash(QString dir) {
  dir = QDir::fromNativeSeparators(dir);
  if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  return dir;
}

// The folder the system names by `id`, or nothing.
QString knownFolder(const KNOWNFOLDERID& id) {
  wchar_t* path = nullptr;
  QString folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = QString::fromWCharArray(path);
  ::CoTaskMemFree(path);
  return QDir::fromNativeSeparators(folder);
}

}  // namespace

// An installed copy keeps its files in its own folder, as a portable one
// does: the program folder is the executable's.
QString installedProgramDir() { return {}; }

QString programDirFor(const QString& exeDir) { return withSlash(exeDir); }

// The user's application-data folder (the roaming one).
QString userConfigDir() {
  QString base = knownFolder(FOLDERID_RoamingAppData);
  if (base.isEmpty()) base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return base + QStringLiteral("/vmkconf");
}

QString userConfigDirShown() { return QStringLiteral("%APPDATA%\\vmkconf"); }

// Installed: under the system's program folders (Program Files, and the
// one of 32-bit programs), which users may not write to.
bool isInstalledProgramDir(const QString& programDir) {
  const QString dir = withSlash(programDir);
  for (const KNOWNFOLDERID* id : {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramFilesX64}) {
    const QString root = knownFolder(*id);
    if (!root.isEmpty() && dir.startsWith(withSlash(root), Qt::CaseInsensitive)) return true;
  }
  return false;
}

}  // namespace vmk
