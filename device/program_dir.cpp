#include "device/program_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vmk {

QString programDir() {
  QString dir = QCoreApplication::applicationDirPath();
  if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
  return dir;
}

QString writableSettingsPath(const QString& programDir, const QString& fileName) {
  const QFileInfo folder(programDir);
  if (!programDir.isEmpty() && folder.isDir() && folder.isWritable())
    return QDir(programDir).filePath(fileName);
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return QDir(config).filePath(fileName);
}

}  // namespace vmk
