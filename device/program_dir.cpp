#include "device/program_dir.h"

#include <QCoreApplication>
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

QString programDir() { return programDirFor(QCoreApplication::applicationDirPath()); }

QString userConfigDir() {
  // One folder for the window and vmkctl alike, whatever the program's name.
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vmkconf");
}

bool isInstalledProgramDir(const QString& programDir) {
  return withSlash(programDir).endsWith(installedTail());
}

QString readableFilePath(const QString& programDir, const QString& fileName) {
  if (isInstalledProgramDir(programDir)) {
    const QString own = QDir(userConfigDir()).filePath(fileName);
    if (QFileInfo::exists(own)) return own;
  }
  return programDir + fileName;  // programDir ends in a separator
}

QString writableSettingsPath(const QString& programDir, const QString& fileName) {
  const QFileInfo folder(programDir);
  if (!programDir.isEmpty() && !isInstalledProgramDir(programDir) && folder.isDir() && folder.isWritable())
    return QDir(programDir).filePath(fileName);
  const QString config = userConfigDir();
  QDir().mkpath(config);
  return QDir(config).filePath(fileName);
}

}  // namespace vmk
