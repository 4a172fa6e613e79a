#include "device/program_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vmk {

// Where the program folder lies and where the user's files go differ by
// system: program_dir_posix.cpp, program_dir_win.cpp.

QString programDir() { return programDirFor(QCoreApplication::applicationDirPath()); }

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
