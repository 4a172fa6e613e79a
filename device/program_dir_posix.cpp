#include "device/program_dir.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vmk {

namespace {

// "/lib/<triplet>/vmkconf/": how the path of an installed program folder ends.
QString installedTail() { return QLatin1Char('/') + installedProgramDir(); }

QString withSlash(QString dir) {
  if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  return dir;
}

}  // namespace

QString installedProgramDir() { return QStringLiteral(VMK_INSTALL_LIBDIR "/"); }

QString programDirFor(const QString& exeDir) {
  const QString own = withSlash(exeDir);
  if (QFileInfo::exists(own + QStringLiteral("libView.so"))) return own;
  const QString installed = withSlash(QDir::cleanPath(own + QStringLiteral("..") + installedTail()));
  return QFileInfo(installed).isDir() ? installed : own;
}

QString userConfigDir() {
  // One folder for the window and vmkctl alike, whatever the program's name.
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vmkconf");
}

QString userConfigDirShown() { return QStringLiteral("~/.config/vmkconf"); }

bool isInstalledProgramDir(const QString& programDir) {
  return withSlash(programDir).endsWith(installedTail());
}

}  // namespace vmk
